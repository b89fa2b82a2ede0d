#pragma once

#include <RenderPass.h>
#include <TSFbo.h>


// Small helpers the stages share: set one uniform, draw a pass into an image.
template <typename T>
void setUniform(RenderPass* pass, const char* name, const T& value)
{
    pass->setUniform(name, value);
}

inline void drawInto(RenderPass* pass, TSFbo& target)
{
    pass->initGeometry(target.size());
    pass->render(target.size(), target);
}

inline void bindImage(RenderPass* pass, const char* sampler, const TSFbo& image, int unit,
                      GLenum filter = GL_LINEAR, GLenum wrap = GL_MIRRORED_REPEAT)
{
    pass->setResource(sampler, QStringLiteral("2D"), image.texture(), unit, filter, wrap);
}
