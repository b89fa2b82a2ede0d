#include "GaussPass.h"

#include <TSFbo.h>

#include <QVector2D>

#include <algorithm>

namespace {
// Sigma 2.5; the outermost weight carries the tail so that they sum to 1.
const double kWeights[8] = {0.159576912161, 0.147308056121, 0.115876621105, 0.0776744219933,
                            0.0443683338718, 0.0215963866053, 0.00895781211794, 0.0044299121055113265};
} // namespace

GaussPass::GaussPass()
    : FullScreenPass(QStringLiteral("gauss"))
{
}

std::vector<double> GaussPass::kernel(int rounds, int shrink)
{
    rounds = std::clamp(rounds, 1, kMaxRounds);
    shrink = std::clamp(shrink, 1, 2);
    // Whole kernels, index 0 the far left, convolved round by round.
    std::vector<double> once(15), all{1.0};
    for (int k = -7; k <= 7; ++k)
        once[size_t(k + 7)] = kWeights[std::abs(k)];
    for (int r = 0; r < rounds; ++r) {
        std::vector<double> next(all.size() + once.size() - 1, 0.0);
        for (size_t i = 0; i < all.size(); ++i)
            for (size_t j = 0; j < once.size(); ++j)
                next[i + j] += all[i] * once[j];
        all.swap(next);
    }
    std::vector<double> half;
    for (size_t i = all.size() / 2; i < all.size(); i += size_t(shrink))
        half.push_back(all[i]);
    double sum = half[0];
    for (size_t i = 1; i < half.size(); ++i)
        sum += 2 * half[i];
    for (double& w : half)
        w /= sum;
    return half;
}

std::vector<QVector4D> GaussPass::bilinearTaps(const std::vector<double>& kernel)
{
    std::vector<QVector4D> taps{QVector4D(0, float(kernel[0]), 0, 0)};
    for (size_t k = 1; k < kernel.size(); k += 2) {
        const double near = kernel[k], far = k + 1 < kernel.size() ? kernel[k + 1] : 0.0;
        const double weight = near + far;
        taps.emplace_back(float(double(k) + far / weight), float(weight), 0.0f, 0.0f);
    }
    return taps;
}

void GaussPass::draw(const Params& params, TSFbo& target)
{
    static const std::vector<QVector4D> taps[2][kMaxRounds] = {
        {bilinearTaps(kernel(1)), bilinearTaps(kernel(2)), bilinearTaps(kernel(3))},
        {bilinearTaps(kernel(1, 2)), bilinearTaps(kernel(2, 2)), bilinearTaps(kernel(3, 2))}};
    const std::vector<QVector4D>& t = taps[std::clamp(params.shrink, 1, 2) - 1][std::clamp(params.rounds, 1, kMaxRounds) - 1];
    m_prog.setTexture("image", params.image, 0, GL_LINEAR, GL_MIRRORED_REPEAT);
    const QVector2D texel(1.0f / float(params.size.width()), 1.0f / float(params.size.height()));
    m_prog.setUniform("axisStep", params.vertical ? QVector2D(0, texel.y()) : QVector2D(texel.x(), 0));
    m_prog.setUniform("tapCount", int(t.size()));
    m_prog.setUniformArray("taps", t.data(), int(t.size()));
    render(target.size(), target);
}
