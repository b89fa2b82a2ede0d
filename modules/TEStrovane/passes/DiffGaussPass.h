#pragma once

#include "FullScreenPass.h"

#include <TSFbo.h>

// The line image: the difference of the two blurs of the lightness that
// SepGaussPass leaves in x (narrow) and y (wide).
class DiffGaussPass : public FullScreenPass {
public:
    struct Params {
        GLuint blurs = 0;
    };

    DiffGaussPass()
        : FullScreenPass(QStringLiteral("diffgauss"))
    {
    }

    void draw(const Params& params, TSFbo& target)
    {
        m_prog.setTexture("blurs", params.blurs, 0, GL_NEAREST, GL_MIRRORED_REPEAT);
        render(target.size(), target);
    }
};
