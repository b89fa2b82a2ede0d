#pragma once

#include "passlib_global.h"

#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLShaderProgram>
#include <QSize>
#include <QString>
#include <QVariantMap>

#include <memory>

class TSFbo;

// One GPU image operation: a GLSL program and the geometry it draws. All
// calls on the thread that owns the OpenGL 3.3 core context.
class PASSLIB_EXPORT RenderPass {
public:
    RenderPass();
    virtual ~RenderPass();
    RenderPass(const RenderPass&) = delete;
    RenderPass& operator=(const RenderPass&) = delete;

    // Every pass calls this first in its own initialize: afterwards the
    // program and the function table are usable.
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
    void setParam(const QString& name, const QVariant& value, bool flag = true);
    QVariant param(const QString& name) const { return m_params.value(name); }

    QOpenGLShaderProgram* program() const { return m_program.get(); }

protected:
    std::unique_ptr<QOpenGLShaderProgram> m_program;
    QOpenGLFunctions_3_3_Core* m_f = nullptr;
    GLuint m_vao = 0;
    GLuint m_vbo = 0;
    int m_vertexCount = 0;
    bool m_geometryReady = false;

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
