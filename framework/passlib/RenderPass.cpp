#include "RenderPass.h"

#include <TGL.h>

RenderPass::RenderPass() = default;

RenderPass::~RenderPass() = default;

bool RenderPass::initialize()
{
    m_f = TGL::funcs();
    return m_f != nullptr;
}

bool RenderPass::preprocess(int)
{
    return true;
}

bool RenderPass::loadShader(const QString& vertexPath, const QString& fragmentPath)
{
    return m_prog.load(vertexPath, fragmentPath);
}

void RenderPass::setResource(const char* name, const QString& type, GLuint texture, int unit, GLenum filter,
                             GLenum wrap)
{
    m_prog.setTexture(name, texture, unit, filter, wrap,
                      type == QLatin1String("1D") ? GL_TEXTURE_1D : GL_TEXTURE_2D);
}

void RenderPass::setParam(const QString& name, const QVariant& value, bool)
{
    m_params.insert(name, value);
}
