#pragma once

#include "FullScreenPass.h"

// Exposure, contrast, highlights and shadows on the base layer.
class BasicAdjustPass : public FullScreenPass {
public:
    BasicAdjustPass()
        : FullScreenPass(QStringLiteral("basicadjust"))
    {
    }
};
