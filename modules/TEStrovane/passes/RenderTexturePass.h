#pragma once

#include "FullScreenPass.h"

// Draws an image, opaque, over the target.
class RenderTexturePass : public FullScreenPass {
public:
    RenderTexturePass()
        : FullScreenPass(QStringLiteral("renderimage"))
    {
    }
};
