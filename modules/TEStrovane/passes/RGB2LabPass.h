#pragma once

#include "FullScreenPass.h"

// sRGB to normalised CIE L*a*b*.
class RGB2LabPass : public FullScreenPass {
public:
    RGB2LabPass()
        : FullScreenPass(QStringLiteral("rgb2lab"))
    {
    }
};
