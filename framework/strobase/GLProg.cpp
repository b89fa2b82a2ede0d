#include "GLProg.h"

#include "GLSamplers.h"
#include "TGL.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>

namespace {

QString readShader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    static const QRegularExpression include(QStringLiteral("^#include \"([^\"]+)\"\\s*$"),
                                            QRegularExpression::MultilineOption);
    const QString dir = QFileInfo(path).path();
    QString text = QString::fromUtf8(file.readAll());
    QRegularExpressionMatch m;
    while ((m = include.match(text)).hasMatch()) {
        QFile part(dir + QLatin1Char('/') + m.captured(1));
        const QString body = part.open(QIODevice::ReadOnly) ? QString::fromUtf8(part.readAll()) : QString();
        text.replace(m.capturedStart(), m.capturedLength(), body);
    }
    return text;
}

// The uniform names a shader declares, used or not: a name outside them is
// a mistake, while a declared one the compiler dropped is not.
void collectUniforms(const QString& source, QSet<QByteArray>& names)
{
    static const QRegularExpression uniform(QStringLiteral("\\buniform\\s+\\w+\\s+(\\w+)"));
    for (auto it = uniform.globalMatch(source); it.hasNext();)
        names.insert(it.next().captured(1).toLatin1());
}

} // namespace

GLProg::GLProg(const QString& vertexPath, const QString& fragmentPath)
{
    load(vertexPath, fragmentPath);
}

GLProg::~GLProg()
{
    if (QOpenGLFunctions_3_3_Core* f = funcs()) {
        f->glDeleteBuffers(1, &m_vbo);
        f->glDeleteVertexArrays(1, &m_vao);
    }
}

bool GLProg::load(const QString& vertexPath, const QString& fragmentPath)
{
    m_name = QFileInfo(fragmentPath).fileName();
    const QString vertex = readShader(vertexPath);
    const QString fragment = readShader(fragmentPath);
    collectUniforms(vertex, m_declared);
    collectUniforms(fragment, m_declared);
    m_program.bindAttributeLocation("vPosition", 0);
    m_valid = m_program.addShaderFromSourceCode(QOpenGLShader::Vertex, vertex)
        && m_program.addShaderFromSourceCode(QOpenGLShader::Fragment, fragment) && m_program.link();
    if (!m_valid)
        qWarning().noquote() << "GLProg: cannot build" << vertexPath << fragmentPath << m_program.log();
    createQuad();
    return m_valid;
}

void GLProg::createQuad()
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    if (!f || m_vao)
        return;
    static const float quad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    f->glGenVertexArrays(1, &m_vao);
    f->glGenBuffers(1, &m_vbo);
    f->glBindVertexArray(m_vao);
    f->glBindBuffer(GL_ARRAY_BUFFER, m_vbo);
    f->glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STATIC_DRAW);
    f->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    f->glEnableVertexAttribArray(0);
    f->glBindVertexArray(0);
    f->glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void GLProg::store(const char* name, Value value)
{
    const QByteArray key(name);
    auto it = m_locations.constFind(key);
    if (it == m_locations.constEnd()) {
        // Once per name: its location is kept from here on.
        if (!m_declared.contains(key))
            qWarning().noquote() << "GLProg:" << m_name << "has no uniform" << key;
        it = m_locations.insert(key, m_valid ? m_program.uniformLocation(name) : -1);
    }
    if (*it >= 0)
        m_pending.emplace_back(*it, std::move(value));
}

void GLProg::setUniformArray(const char* name, const QVector4D* values, int count)
{
    store(name, std::vector<QVector4D>(values, values + count));
}

void GLProg::setUniformArray(const char* name, const GLint* values, int count)
{
    store(name, std::vector<GLint>(values, values + count));
}

void GLProg::setTexture(const char* name, GLuint texture, int unit, GLenum filter, GLenum wrap, GLenum target)
{
    const Binding binding{unit, target, texture, GLSamplers::get(filter, wrap)};
    auto same = std::find_if(m_bindings.begin(), m_bindings.end(), [unit](const Binding& b) { return b.unit == unit; });
    if (same != m_bindings.end())
        *same = binding;
    else
        m_bindings.push_back(binding);
    bindTexture(binding);
    setUniform(name, unit);
}

void GLProg::bindTexture(const Binding& b)
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    f->glActiveTexture(GLenum(GL_TEXTURE0 + b.unit));
    f->glBindTexture(b.target, b.texture);
    f->glActiveTexture(GL_TEXTURE0);
    f->glBindSampler(GLuint(b.unit), b.sampler);
}

void GLProg::sendUniforms()
{
    for (const auto& [location, value] : m_pending) {
        std::visit(
            [this, location = location](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::vector<QVector4D>>)
                    m_program.setUniformValueArray(location, v.data(), int(v.size()));
                else if constexpr (std::is_same_v<T, std::vector<GLint>>)
                    m_program.setUniformValueArray(location, v.data(), int(v.size()));
                else
                    m_program.setUniformValue(location, v);
            },
            value);
    }
    m_pending.clear();
}

void GLProg::begin()
{
    for (const Binding& b : m_bindings)
        bindTexture(b);
    m_program.bind();
    sendUniforms();
    funcs()->glBindVertexArray(m_vao);
}

void GLProg::drawInstances(int count)
{
    sendUniforms();
    funcs()->glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, count);
}

void GLProg::end()
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    f->glBindVertexArray(0);
    for (const Binding& b : m_bindings)
        f->glBindSampler(GLuint(b.unit), 0);
    m_program.release();
}

void GLProg::drawQuad(int width, int height)
{
    funcs()->glViewport(0, 0, width, height);
    begin();
    funcs()->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    end();
}

QOpenGLFunctions_3_3_Core* GLProg::funcs()
{
    return TGL::funcs();
}

void GLProg::yield()
{
    if (QOpenGLFunctions_3_3_Core* f = funcs())
        f->glFlush();
    QThread::yieldCurrentThread();
}
