#include "SepGaussPass.h"

#include <TSFbo.h>

#include <QVector2D>

#include <algorithm>
#include <cmath>

SepGaussPass::SepGaussPass()
    : FullScreenPass(QStringLiteral("sepgauss"))
{
}

std::vector<QVector4D> SepGaussPass::weights(float narrow, float wide)
{
    const float sigmas[2] = {std::clamp(narrow, 0.0f, kMaxSigma), std::clamp(wide, 0.0f, kMaxSigma)};
    const int reach = int(std::floor(2.0f * std::max(sigmas[0], sigmas[1])));
    std::vector<QVector4D> w(size_t(reach + 1), QVector4D(0, 0, 0, 0));
    for (int s = 0; s < 2; ++s) {
        float norm = 1.0f;
        w[0][s] = 1.0f;
        for (int n = 1; float(n) <= 2.0f * sigmas[s]; ++n) {
            w[size_t(n)][s] = std::exp(-float(n * n) / (2.0f * sigmas[s] * sigmas[s]));
            norm += 2.0f * w[size_t(n)][s];
        }
        for (QVector4D& v : w)
            v[s] /= norm;
    }
    return w;
}

void SepGaussPass::draw(const Params& params, TSFbo& target)
{
    const std::vector<QVector4D> w = weights(params.narrow, params.wide);
    m_prog.setTexture("image", params.image, 0, GL_NEAREST, GL_MIRRORED_REPEAT);
    const QVector2D texel(1.0f / float(params.size.width()), 1.0f / float(params.size.height()));
    m_prog.setUniform("axisStep", params.vertical ? QVector2D(0, texel.y()) : QVector2D(texel.x(), 0));
    m_prog.setUniform("split", params.split ? 1 : 0);
    m_prog.setUniform("tapCount", int(w.size()));
    m_prog.setUniformArray("weights", w.data(), int(w.size()));
    render(target.size(), target);
}
