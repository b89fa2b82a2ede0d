#pragma once

#include "FullScreenPass.h"

// Darkens or tints towards the edges in a superellipse.
class VignettePass : public FullScreenPass {
public:
    VignettePass()
        : FullScreenPass(QStringLiteral("vignette"))
    {
    }
};
