#include "GLProg.h"

#include "TGL.h"

#include <QDebug>
#include <QMatrix4x4>
#include <QThread>
#include <QVector2D>
#include <QVector4D>

GLProg::GLProg(const QString& vertexPath, const QString& fragmentPath)
{
    m_valid = m_program.addShaderFromSourceFile(QOpenGLShader::Vertex, vertexPath)
        && m_program.addShaderFromSourceFile(QOpenGLShader::Fragment, fragmentPath) && m_program.link();
    if (!m_valid)
        qWarning() << "GLProg:" << vertexPath << fragmentPath << m_program.log();
    QOpenGLFunctions_3_3_Core* f = funcs();
    if (!f)
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

GLProg::~GLProg()
{
    if (QOpenGLFunctions_3_3_Core* f = funcs()) {
        f->glDeleteBuffers(1, &m_vbo);
        f->glDeleteVertexArrays(1, &m_vao);
    }
}

void GLProg::bind()
{
    m_program.bind();
}

void GLProg::release()
{
    m_program.release();
}

void GLProg::setUniform(const char* name, float value)
{
    m_program.setUniformValue(name, value);
}

void GLProg::setUniform(const char* name, int value)
{
    m_program.setUniformValue(name, value);
}

void GLProg::setUniform(const char* name, const QVector2D& value)
{
    m_program.setUniformValue(name, value);
}

void GLProg::setUniform(const char* name, const QVector4D& value)
{
    m_program.setUniformValue(name, value);
}

void GLProg::setUniform(const char* name, const QMatrix4x4& value)
{
    m_program.setUniformValue(name, value);
}

void GLProg::setTexture(const char* name, GLuint texture, int unit)
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    f->glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    f->glBindTexture(GL_TEXTURE_2D, texture);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    m_program.setUniformValue(name, unit);
    f->glActiveTexture(GL_TEXTURE0);
}

void GLProg::drawQuad(int width, int height)
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    f->glViewport(0, 0, width, height);
    f->glBindVertexArray(m_vao);
    f->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    f->glBindVertexArray(0);
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
