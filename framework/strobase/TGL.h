#pragma once

#include "strobase_global.h"

#include <QOpenGLFunctions_3_3_Core>
#include <QRect>

namespace TGL {

// The OpenGL 3.3 core functions of the context current on this thread, or
// null when there is none.
STROBASE_EXPORT QOpenGLFunctions_3_3_Core* funcs();

// Confines drawing, clears and blits to a rectangle of the bound target
// (x and y in texels, row 0 the image's top) while it lives; an empty
// rectangle lifts any confinement instead. Puts the scissor back as it
// found it.
class STROBASE_EXPORT Scissor {
public:
    explicit Scissor(const QRect& rect);
    ~Scissor();
    Scissor(const Scissor&) = delete;
    Scissor& operator=(const Scissor&) = delete;

private:
    bool m_active = false;
    bool m_wasOn = false;
    GLint m_box[4] = {0, 0, 0, 0};
};

} // namespace TGL
