#pragma once

#include "FullScreenPass.h"

// Line integral convolution: smears an image along the flow field.
class LIC : public FullScreenPass {
public:
    LIC()
        : FullScreenPass(QStringLiteral("lic"))
    {
    }
};
