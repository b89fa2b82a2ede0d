#pragma once

#include "FullScreenPass.h"

// A separable Gaussian of any radius along one axis.
class SepGaussPass : public FullScreenPass {
public:
    SepGaussPass()
        : FullScreenPass(QStringLiteral("sepgauss"))
    {
    }
};
