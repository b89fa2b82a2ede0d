#pragma once

#include "strobase_global.h"

#include <qopengl.h>

// Sampler objects by filter and wrap mode, made once per context: a pass
// says how it samples an image without rewriting the image's own state,
// which other passes share.
namespace GLSamplers {

// The sampler for a filter (also for minifying) and a wrap mode on every axis.
STROBASE_EXPORT GLuint get(GLenum filter, GLenum wrap);

} // namespace GLSamplers
