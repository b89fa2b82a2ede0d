#include "RenderPass.h"

#include <TGL.h>

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

RenderPass::RenderPass() = default;

RenderPass::~RenderPass()
{
    if (m_f) {
        if (m_vbo)
            m_f->glDeleteBuffers(1, &m_vbo);
        if (m_vao)
            m_f->glDeleteVertexArrays(1, &m_vao);
    }
}

bool RenderPass::initialize()
{
    m_f = TGL::funcs();
    m_program = std::make_unique<QOpenGLShaderProgram>();
    return m_f != nullptr;
}

bool RenderPass::preprocess(int)
{
    return true;
}

static QByteArray readShader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray source = file.readAll();
    static const QRegularExpression include(QStringLiteral("^#include \"([^\"]+)\"\\s*$"),
                                            QRegularExpression::MultilineOption);
    const QString dir = QFileInfo(path).path();
    QString text = QString::fromUtf8(source);
    QRegularExpressionMatch m;
    while ((m = include.match(text)).hasMatch()) {
        QFile part(dir + QLatin1Char('/') + m.captured(1));
        const QString body = part.open(QIODevice::ReadOnly) ? QString::fromUtf8(part.readAll()) : QString();
        text.replace(m.capturedStart(), m.capturedLength(), body);
    }
    return text.toUtf8();
}

bool RenderPass::loadShader(const QString& vertexPath, const QString& fragmentPath)
{
    const bool ok = m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, readShader(vertexPath))
        && m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, readShader(fragmentPath));
    m_program->bindAttributeLocation("vPosition", 0);
    const bool linked = ok && m_program->link();
    if (!linked)
        qWarning().noquote() << "RenderPass: cannot build" << vertexPath << fragmentPath << m_program->log();
    return linked;
}

void RenderPass::setResource(const char* name, const QString& type, GLuint texture, int unit, GLenum filter,
                             GLenum wrap)
{
    const GLenum target = type == QLatin1String("1D") ? GL_TEXTURE_1D : GL_TEXTURE_2D;
    m_f->glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    m_f->glBindTexture(target, texture);
    if (texture) {
        m_f->glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GLint(filter));
        m_f->glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GLint(filter));
        m_f->glTexParameteri(target, GL_TEXTURE_WRAP_S, GLint(wrap));
        if (target == GL_TEXTURE_2D)
            m_f->glTexParameteri(target, GL_TEXTURE_WRAP_T, GLint(wrap));
    }
    m_f->glActiveTexture(GL_TEXTURE0);
    m_program->bind();
    m_program->setUniformValue(name, unit);
    m_program->release();
}

void RenderPass::setParam(const QString& name, const QVariant& value, bool)
{
    m_params.insert(name, value);
}
