#pragma once

#include "FullScreenPass.h"

// The eight colour ranges of the HSL controls, in mask-channel order: red,
// orange, yellow, green (mask 1), aqua, blue, purple, magenta (mask 2).
struct HslRange {
    float centre;
    float inner;
    float outer;
};
extern const HslRange kHslRanges[8];

// Weight of range `range` at a hue in degrees: 1 inside the inner half-width,
// falling linearly to 0 at the outer one; red also across 360 degrees.
float hslRangeWeight(int range, float hueDegrees);

// Per-range hue, saturation and lightness. The range masks are two 1-D
// textures of 1024 hues, built once.
class HSLAdjustPass : public FullScreenPass {
public:
    HSLAdjustPass();
    ~HSLAdjustPass() override;

    bool initialize() override;
    // Binds the two masks (units 0 and 1).
    bool preprocess(int unused) override;

private:
    GLuint m_masks[2] = {0, 0};
};
