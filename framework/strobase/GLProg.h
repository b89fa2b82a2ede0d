#pragma once

#include "strobase_global.h"

#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>
#include <QString>

class QMatrix4x4;
class QVector2D;
class QVector4D;

// A GLSL program from two resource paths, with a full-screen quad to draw
// it over the bound framebuffer. Needs a current OpenGL 3.3 core context.
class STROBASE_EXPORT GLProg {
public:
    GLProg(const QString& vertexPath, const QString& fragmentPath);
    ~GLProg();
    GLProg(const GLProg&) = delete;
    GLProg& operator=(const GLProg&) = delete;

    bool isValid() const { return m_valid; }
    QOpenGLShaderProgram& program() { return m_program; }
    void bind();
    void release();

    void setUniform(const char* name, float value);
    void setUniform(const char* name, int value);
    void setUniform(const char* name, const QVector2D& value);
    void setUniform(const char* name, const QVector4D& value);
    void setUniform(const char* name, const QMatrix4x4& value);
    // Binds a texture to a unit and points the sampler at it (linear,
    // mirrored repeat).
    void setTexture(const char* name, GLuint texture, int unit);

    // Draws the quad into the given viewport of the bound framebuffer.
    void drawQuad(int width, int height);

    static QOpenGLFunctions_3_3_Core* funcs();
    // Lets the GPU and other threads make progress between long draws.
    static void yield();

private:
    QOpenGLShaderProgram m_program;
    bool m_valid = false;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
};
