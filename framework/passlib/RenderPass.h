#pragma once

#include "passlib_global.h"

#include <GLProg.h>

#include <QSize>
#include <QString>
#include <QVariantMap>

class TSFbo;

// One GPU image operation: a GLSL program (GLProg, with its quad) and how
// it draws. All calls on the thread that owns the OpenGL 3.3 core context.
class PASSLIB_EXPORT RenderPass {
public:
    RenderPass();
    virtual ~RenderPass();
    RenderPass(const RenderPass&) = delete;
    RenderPass& operator=(const RenderPass&) = delete;

    // Every pass calls this first in its own initialize: afterwards the
    // function table is usable.
    virtual bool initialize();
    virtual bool preprocess(int value);
    // Compiles and links the program from two resource paths. A line
    // #include "name" pulls in a file beside the shader.
    virtual bool loadShader(const QString& vertexPath, const QString& fragmentPath);
    virtual bool render(const QSize& size, TSFbo& target) = 0;
    virtual bool initGeometry(const QSize& size) = 0;

    // Binds a texture to a unit ("2D" or "1D") with the given filter and wrap
    // modes and points the sampler uniform at that unit.
    void setResource(const char* name, const QString& type, GLuint texture, int unit, GLenum filter, GLenum wrap);
    // Typed uniforms, sent with the next draw.
    template <typename T>
    void setUniform(const char* name, const T& value)
    {
        m_prog.setUniform(name, value);
    }
    template <typename T>
    void setUniformArray(const char* name, const T* values, int count)
    {
        m_prog.setUniformArray(name, values, count);
    }
    void setParam(const QString& name, const QVariant& value, bool flag = true);
    QVariant param(const QString& name) const { return m_params.value(name); }

    QOpenGLShaderProgram* program() { return &m_prog.program(); }

protected:
    GLProg m_prog;
    QOpenGLFunctions_3_3_Core* m_f = nullptr;

private:
    QVariantMap m_params;
};

// Makes passes by name.
class PASSLIB_EXPORT RenderPassFactory {
public:
    RenderPassFactory() = default;
    virtual ~RenderPassFactory() = default;
    virtual RenderPass* create(const QString& name) = 0;
};
