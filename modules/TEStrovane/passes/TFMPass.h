#pragma once

#include "FullScreenPass.h"

// The tangent flow map from the smoothed structure tensor.
class TFMPass : public FullScreenPass {
public:
    TFMPass()
        : FullScreenPass(QStringLiteral("tfm"))
    {
    }
};
