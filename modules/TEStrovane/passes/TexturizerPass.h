#pragma once

#include "FullScreenPass.h"

// Lights the painting with the relief of a canvas.
class TexturizerPass : public FullScreenPass {
public:
    TexturizerPass()
        : FullScreenPass(QStringLiteral("texturizer"), QStringLiteral("texturizer"))
    {
    }
};
