#pragma once

#include "FullScreenPass.h"

// A 15-tap Gaussian (sigma 2.5) along one axis.
class GaussPass : public FullScreenPass {
public:
    GaussPass()
        : FullScreenPass(QStringLiteral("gauss"), QStringLiteral("gauss"))
    {
    }
};
