#pragma once

#include "FullScreenPass.h"

// Normalised CIE L*a*b* back to sRGB.
class Lab2RGBPass : public FullScreenPass {
public:
    Lab2RGBPass()
        : FullScreenPass(QStringLiteral("lab2rgb"))
    {
    }
};
