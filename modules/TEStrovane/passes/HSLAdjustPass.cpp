#include "HSLAdjustPass.h"

#include <cmath>
#include <vector>

const HslRange kHslRanges[8] = {
    {2.5f, 7.5f, 27.5f},   // red
    {35.0f, 5.0f, 25.0f},  // orange
    {62.5f, 2.5f, 22.5f},  // yellow
    {112.5f, 27.5f, 47.5f}, // green
    {175.0f, 15.0f, 35.0f}, // aqua
    {232.5f, 22.5f, 42.5f}, // blue
    {275.0f, 0.0f, 20.0f},  // purple
    {315.0f, 20.0f, 40.0f}, // magenta
};

static constexpr int kMaskTexels = 1024;

float hslRangeWeight(int range, float hueDegrees)
{
    const HslRange& r = kHslRanges[range];
    auto ramp = [&r](float e) { return e < r.inner ? 1.0f : 1.0f - (e - r.inner) / (r.outer - r.inner); };
    const float e = std::fabs(r.centre - hueDegrees);
    if (e <= r.outer)
        return ramp(e);
    if (range != 0)
        return 0.0f;
    const float across = std::fabs(r.centre + 360.0f - hueDegrees);
    return across > r.outer ? 0.0f : ramp(across);
}

HSLAdjustPass::HSLAdjustPass()
    : FullScreenPass(QStringLiteral("hsladjust"))
{
}

HSLAdjustPass::~HSLAdjustPass()
{
    if (m_f)
        m_f->glDeleteTextures(2, m_masks);
}

bool HSLAdjustPass::initialize()
{
    FullScreenPass::initialize();
    m_f->glGenTextures(2, m_masks);
    for (int mask = 0; mask < 2; ++mask) {
        std::vector<float> texels(kMaskTexels * 4);
        for (int i = 0; i < kMaskTexels; ++i) {
            const float hue = float(i) / kMaskTexels * 360.0f;
            for (int channel = 0; channel < 4; ++channel)
                texels[size_t(i * 4 + channel)] = hslRangeWeight(mask * 4 + channel, hue);
        }
        m_f->glBindTexture(GL_TEXTURE_1D, m_masks[mask]);
        m_f->glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA16F, kMaskTexels, 0, GL_RGBA, GL_FLOAT, texels.data());
        m_f->glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        m_f->glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        m_f->glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    }
    m_f->glBindTexture(GL_TEXTURE_1D, 0);
    return true;
}

bool HSLAdjustPass::preprocess(int)
{
    setResource("inputUnit1", QStringLiteral("1D"), m_masks[0], 0, GL_LINEAR, GL_CLAMP_TO_EDGE);
    setResource("inputUnit2", QStringLiteral("1D"), m_masks[1], 1, GL_LINEAR, GL_CLAMP_TO_EDGE);
    return true;
}
