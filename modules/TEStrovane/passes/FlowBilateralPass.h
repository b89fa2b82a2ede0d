#pragma once

#include "FullScreenPass.h"

// A bilateral filter across or along the flow.
class FlowBilateralPass : public FullScreenPass {
public:
    FlowBilateralPass()
        : FullScreenPass(QStringLiteral("flowbilateral"))
    {
    }
};
