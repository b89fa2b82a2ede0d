#pragma once

#include "FullScreenPass.h"

#include <QVector4D>

#include <vector>

// The structure tensor's smoothing along one axis: the 15-tap Gaussian of
// sigma 2.5 applied `rounds` times over, folded into one kernel so that the
// rounds cost one pass, and read with bilinear taps that each weigh two
// neighbouring texels at once (the same weighted sums, half the fetches).
// With `shrink` 2 the image is at half size: the kernel is taken at every
// second weight, spanning in half-size texels what it does at full size.
class GaussPass : public FullScreenPass {
public:
    struct Params {
        GLuint image = 0;
        QSize size;
        bool vertical = false;
        int rounds = 1; // 1..kMaxRounds
        int shrink = 1; // 1 or 2
    };
    static constexpr int kMaxRounds = 3;

    GaussPass();

    void draw(const Params& params, TSFbo& target);

    // The kernel's weights from the centre out, summing to 1 over both
    // sides: 7 x rounds / shrink + 1 of them.
    static std::vector<double> kernel(int rounds, int shrink = 1);
    // The kernel as taps (offset in texels, weight): the centre, then one
    // tap per pair of neighbours, each read on both sides.
    static std::vector<QVector4D> bilinearTaps(const std::vector<double>& kernel);
};
