#pragma once

#include "FullScreenPass.h"

// The structure tensor of the image.
class SstPass : public FullScreenPass {
public:
    SstPass()
        : FullScreenPass(QStringLiteral("sst"))
    {
    }
};
