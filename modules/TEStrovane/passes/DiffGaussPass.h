#pragma once

#include "FullScreenPass.h"

// The line image: difference of two blurred lightness images.
class DiffGaussPass : public FullScreenPass {
public:
    DiffGaussPass()
        : FullScreenPass(QStringLiteral("diffgauss"))
    {
    }
};
