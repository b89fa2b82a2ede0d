// The two shaders under :/strolibs/pyrtone/ are this library's resources;
// the resource compiler's initialiser registers them when the library is
// loaded and unregisters them when it is unloaded.
#include "PyrTone.h"

#include <GLProg.h>
#include <GLPyramid.h>

#include <QDebug>
#include <QVector4D>

#include <algorithm>
#include <cmath>

namespace {
const QString kVertex = QStringLiteral(":/strobase/glshaders/default.vert");
// The coarsest pyramid level has at most this many pixels on its shorter side.
constexpr int kLevelParam = 16;
} // namespace

PyrTone::PyrTone()
    : m_funcs(GLProg::funcs())
    , m_remap(std::make_unique<GLProg>(kVertex, QStringLiteral(":/strolibs/pyrtone/remapsigmafact.frag")))
    , m_merge(std::make_unique<GLProg>(kVertex, QStringLiteral(":/strolibs/pyrtone/mergeoutput.frag")))
    , m_base(std::make_unique<GLProg>(kVertex, QStringLiteral(":/strobase/glshaders/brightnesscontrast.frag")))
{
}

PyrTone::~PyrTone() = default;

PyrTone::PyrTone(const PyrTone& other)
    : PyrTone()
{
    *this = other;
}

PyrTone& PyrTone::operator=(const PyrTone& other)
{
    sigma = other.sigma;
    gain = other.gain;
    coarseRatio = other.coarseRatio;
    brightness = other.brightness;
    contrast = other.contrast;
    range = other.range;
    numSteps = other.numSteps;
    return *this;
}

int PyrTone::stepsFor(float range, float sigma)
{
    const int steps = int(range / sigma) / 4 * 4;
    return std::clamp(steps, 8, 64);
}

float PyrTone::factI(int level, int levels) const
{
    // With a single detail level there is no profile: it is the finest.
    if (levels <= 1)
        return gain;
    return gain * (coarseRatio + (1.0f - coarseRatio) * std::sqrt(float(levels - 1 - level) / float(levels - 1)));
}

TSFbo PyrTone::proc(const TSFbo& input)
{
    if (input.isEmpty())
        return input;
    sigma = std::max(sigma, 0.025f);
    numSteps = stepsFor(range, sigma);
    qDebug() << "--- numSteps: " << numSteps;
    QOpenGLFunctions_3_3_Core* f = funcs();

    GLPyrLaplacian output(input.size(), GL_R16F, kLevelParam);
    output.create(input);
    f->glBlendEquation(GL_FUNC_ADD);
    f->glBlendFunc(GL_ONE, GL_ONE);
    auto gaussian = std::make_unique<GLPyrGaussian>(input.size(), GL_R16F, kLevelParam);
    gaussian->create(input);
    const int n = gaussian->levels();

    TSFbo& base = output.level(n - 1);
    base.bind();
    m_base->setUniform("brightness", brightness);
    m_base->setUniform("contrast", contrast);
    m_base->setTexture("inputTexture0", gaussian->level(n - 1).texture(), 0);
    m_base->drawQuad(base.width(), base.height());
    base.release();

    const float e = 1.0f / float(numSteps - 1);
    auto scratch = std::make_unique<TSFbo>(input.size(), GL_RGBA16F);
    auto scratchPyramid = std::make_unique<GLPyrLaplacian>(input.size(), GL_RGBA16F, kLevelParam);
    for (int b = 0; b < numSteps; b += 4) {
        const QVector4D refs(b * e, (b + 1) * e, (b + 2) * e, (b + 3) * e);
        scratch->bind();
        m_remap->setUniform("refs", refs);
        m_remap->setUniform("invSigma2", 1.0f / (2.0f * sigma * sigma));
        m_remap->setTexture("inputImage", input.texture(), 2);
        m_remap->drawQuad(scratch->width(), scratch->height());
        scratch->release();
        scratchPyramid->create(*scratch);

        f->glEnable(GL_BLEND);
        m_merge->setUniform("refs", refs);
        m_merge->setUniform("stepInv", 1.0f / e);
        for (int j = 0; j < n - 1; ++j) {
            TSFbo& level = output.level(j);
            level.bind();
            m_merge->setUniform("fact", factI(j, n - 1));
            m_merge->setTexture("gauss", gaussian->level(j).texture(), 0);
            m_merge->setTexture("remap", scratchPyramid->level(j).texture(), 1);
            m_merge->drawQuad(level.width(), level.height());
            level.release();
        }
        f->glDisable(GL_BLEND);
        GLProg::yield();
    }
    scratchPyramid.reset();
    scratch.reset();
    gaussian.reset();
    f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    TSFbo result(input.size(), input.internalFormat());
    output.reconstruct(result);
    return result;
}
