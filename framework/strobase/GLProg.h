#pragma once

#include "strobase_global.h"

#include <QHash>
#include <QMatrix4x4>
#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QVector2D>
#include <QVector4D>

#include <variant>
#include <vector>

// A GLSL program and the quad it draws: the one program abstraction of the
// engine and the framework. Uniforms are typed and kept until the next draw,
// which sends them with a single program bind; textures are sampled through
// sampler objects, so binding one never changes the texture's own filter
// and wrap state. Needs a current OpenGL 3.3 core context.
class STROBASE_EXPORT GLProg {
public:
    GLProg() = default;
    GLProg(const QString& vertexPath, const QString& fragmentPath);
    ~GLProg();
    GLProg(const GLProg&) = delete;
    GLProg& operator=(const GLProg&) = delete;

    // Compiles and links from two resource paths. A line #include "name"
    // pulls in a file beside the shader.
    bool load(const QString& vertexPath, const QString& fragmentPath);
    bool isValid() const { return m_valid; }
    QOpenGLShaderProgram& program() { return m_program; }

    void setUniform(const char* name, float value) { store(name, value); }
    void setUniform(const char* name, int value) { store(name, value); }
    void setUniform(const char* name, const QPoint& value) { store(name, value); }
    void setUniform(const char* name, const QVector2D& value) { store(name, value); }
    void setUniform(const char* name, const QVector4D& value) { store(name, value); }
    void setUniform(const char* name, const QMatrix4x4& value) { store(name, value); }
    void setUniformArray(const char* name, const QVector4D* values, int count);
    void setUniformArray(const char* name, const GLint* values, int count);

    // Binds a texture (2D by default, or GL_TEXTURE_1D) to a unit with the
    // given sampling and points the sampler uniform at it; every later draw
    // of this program samples it so, until the unit gets another texture.
    void setTexture(const char* name, GLuint texture, int unit, GLenum filter = GL_LINEAR,
                    GLenum wrap = GL_MIRRORED_REPEAT, GLenum target = GL_TEXTURE_2D);

    // Draws the quad into the given viewport of the bound framebuffer.
    void drawQuad(int width, int height);

    // For passes with their own draw calls: begin binds the program and the
    // quad and sends the uniforms; drawInstances draws the quad count times
    // (sending uniforms set since); end unbinds what begin bound.
    void begin();
    void drawInstances(int count);
    void end();

    static QOpenGLFunctions_3_3_Core* funcs();
    // Lets the GPU and other threads make progress between long draws.
    static void yield();

private:
    using Value = std::variant<float, int, QPoint, QVector2D, QVector4D, QMatrix4x4, std::vector<QVector4D>,
                               std::vector<GLint>>;
    void store(const char* name, Value value);
    void sendUniforms();
    void createQuad();
    struct Binding;
    void bindTexture(const Binding& b);

    QOpenGLShaderProgram m_program;
    bool m_valid = false;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
    QSet<QByteArray> m_declared;
    QHash<QByteArray, int> m_locations;
    std::vector<std::pair<int, Value>> m_pending;
    struct Binding {
        int unit;
        GLenum target;
        GLuint texture;
        GLuint sampler;
    };
    // The program's textures, bound again by every begin.
    std::vector<Binding> m_bindings;
    QString m_name;
};
