#pragma once

#include "strobase_global.h"

#include <QOpenGLFunctions_3_3_Core>

namespace TGL {

// The OpenGL 3.3 core functions of the context current on this thread, or
// null when there is none.
STROBASE_EXPORT QOpenGLFunctions_3_3_Core* funcs();

} // namespace TGL
