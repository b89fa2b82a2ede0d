#pragma once

#include "FullScreenPass.h"

#include <QVector4D>

#include <vector>

// The two Gaussians of the lightness whose difference is the line image,
// along one axis in one pass: x the narrow one, y the wide one, each with
// taps out to two sigma. The first axis reads both from the lightness
// (channel x); the second (`split`) each from its own channel. Between the
// two, y holds the wide blur rounded to whole 1/255 steps (their count).
class SepGaussPass : public FullScreenPass {
public:
    struct Params {
        GLuint image = 0;
        QSize size;
        bool vertical = false;
        bool split = false;
        float narrow = 1.0f; // sigmas, up to kMaxSigma
        float wide = 1.6f;
    };
    static constexpr float kMaxSigma = 3.5f;

    SepGaussPass();

    void draw(const Params& params, TSFbo& target);

    // The (narrow, wide) weights of the offsets 0, 1, ...: exp(-n²/2σ²) out
    // to 2σ, each set normalised over both sides.
    static std::vector<QVector4D> weights(float narrow, float wide);
};
