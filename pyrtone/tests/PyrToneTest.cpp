#include "GLTestContext.h"
#include "PyrTone.h"

#include <GLProg.h>
#include <GLPyramid.h>

#include <QVector4D>

#include <cmath>
#include <random>

namespace {

// --- A CPU reference of the same fast local Laplacian scheme. -------------

using Image = cv::Mat; // CV_32F, one channel

int mirrored(int i, int n)
{
    const int m = ((i % (2 * n)) + 2 * n) % (2 * n);
    return m < n ? m : 2 * n - 1 - m;
}

Image down(const Image& fine)
{
    static const float w[5] = {1, 4, 6, 4, 1};
    Image out((fine.rows + 1) / 2, (fine.cols + 1) / 2, CV_32F);
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.cols; ++x) {
            float s = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    s += w[dx + 2] * w[dy + 2]
                        * fine.at<float>(mirrored(2 * y + dy, fine.rows), mirrored(2 * x + dx, fine.cols));
            out.at<float>(y, x) = s / 256;
        }
    return out;
}

// Linear filtering at the finer image's pixel centres, clamped at the edges.
Image expand(const Image& coarse, cv::Size size)
{
    Image out(size, CV_32F);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const float u = (x + 0.5f) / size.width * coarse.cols - 0.5f;
            const float v = (y + 0.5f) / size.height * coarse.rows - 0.5f;
            const int x0 = int(std::floor(u)), y0 = int(std::floor(v));
            const float fx = u - x0, fy = v - y0;
            auto at = [&](int xx, int yy) {
                return coarse.at<float>(std::clamp(yy, 0, coarse.rows - 1), std::clamp(xx, 0, coarse.cols - 1));
            };
            out.at<float>(y, x) = (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy)
                + (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
        }
    return out;
}

std::vector<Image> gaussianPyramid(const Image& image)
{
    std::vector<Image> g{image};
    const int n = GLPyramid::levelCount(QSize(image.cols, image.rows), 16);
    while (int(g.size()) < n)
        g.push_back(down(g.back()));
    return g;
}

std::vector<Image> laplacianPyramid(const Image& image)
{
    const std::vector<Image> g = gaussianPyramid(image);
    std::vector<Image> l;
    for (size_t i = 0; i + 1 < g.size(); ++i)
        l.push_back(g[i] - expand(g[i + 1], g[i].size()) + 0.5f);
    l.push_back(g.back());
    return l;
}

Image reconstruct(const std::vector<Image>& l)
{
    Image g = l.back();
    for (int i = int(l.size()) - 2; i >= 0; --i)
        g = l[size_t(i)] - 0.5f + expand(g, l[size_t(i)].size());
    return g;
}

Image referenceFilter(const Image& input, const PyrTone& p)
{
    const int steps = PyrTone::stepsFor(p.range, std::max(p.sigma, 0.025f));
    const float sigma = std::max(p.sigma, 0.025f);
    const std::vector<Image> g = gaussianPyramid(input);
    std::vector<Image> out = laplacianPyramid(input);
    const int n = int(g.size());
    out.back() = (g.back() - 0.5f) * p.contrast + 0.5f + p.brightness;
    const float e = 1.0f / (steps - 1);
    for (int k = 0; k < steps; ++k) {
        const float r = k * e;
        Image remapped(input.size(), CV_32F);
        input.forEach<float>([&](float& /*unused*/, const int* pos) {
            const float d = input.at<float>(pos[0], pos[1]) - r;
            remapped.at<float>(pos[0], pos[1]) = d * std::exp(-d * d / (2 * sigma * sigma)) + 0.5f;
        });
        const std::vector<Image> lr = laplacianPyramid(remapped);
        for (int j = 0; j < n - 1; ++j) {
            for (int y = 0; y < out[size_t(j)].rows; ++y)
                for (int x = 0; x < out[size_t(j)].cols; ++x) {
                    const float w = 1 - std::min(std::fabs(g[size_t(j)].at<float>(y, x) - r) / e, 1.0f);
                    out[size_t(j)].at<float>(y, x) += p.factI(j, n - 1) * w * (lr[size_t(j)].at<float>(y, x) - 0.5f);
                }
        }
    }
    return reconstruct(out);
}

// ---------------------------------------------------------------------------

Image texture(int width, int height, unsigned seed, float amplitude, bool withEdge)
{
    Image m(height, width, CV_32F);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(-amplitude, amplitude);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.at<float>(y, x) = (withEdge && x >= width / 2 ? 0.75f : 0.3f) + u(rng) + 0.05f * std::sin(x * 0.7f);
    return m;
}

class PyrToneFilter : public GLTestContext {
protected:
    static TSFbo uploadGrey(const Image& grey)
    {
        TSFbo fbo(QSize(grey.cols, grey.rows), GL_R32F);
        fbo.upload(grey);
        return fbo;
    }
    static Image downloadGrey(const TSFbo& fbo)
    {
        cv::Mat rgba = fbo.dataToMat(CV_32FC4), channels[4];
        cv::split(rgba, channels);
        return channels[0];
    }
    static float maxDifference(const Image& a, const Image& b) { return float(cv::norm(a, b, cv::NORM_INF)); }
};

} // namespace

TEST(PyrToneSettings, StepsFollowRangeOverSigma)
{
    EXPECT_EQ(PyrTone::stepsFor(2.0f, 0.1f), 20);
    EXPECT_EQ(PyrTone::stepsFor(2.0f, 0.2f), 8) << "10 rounds down to 8";
    EXPECT_EQ(PyrTone::stepsFor(2.0f, 0.3f), 8) << "6.67 -> 6 -> 4, raised to 8";
    EXPECT_EQ(PyrTone::stepsFor(2.0f, 0.025f), 64) << "80 lowered to 64";
}

TEST(PyramidLevels, CountFromTheLevelParameter)
{
    EXPECT_EQ(GLPyramid::levelCount(QSize(2560, 1600), 16), 8);
    EXPECT_EQ(GLPyramid::levelSize(QSize(2560, 1600), 7), QSize(20, 13));
    EXPECT_EQ(GLPyramid::levelCount(QSize(16, 300), 16), 1);
    EXPECT_EQ(GLPyramid::levelCount(QSize(17, 17), 16), 2);
    EXPECT_EQ(GLPyramid::levelCount(QSize(), 16), 0);
}

TEST_F(PyrToneFilter, FactorsFollowTheLevelProfile)
{
    PyrTone p;
    p.gain = 2.0f;
    p.coarseRatio = 0.5f;
    EXPECT_FLOAT_EQ(p.factI(0, 4), 2.0f);
    EXPECT_FLOAT_EQ(p.factI(1, 4), 2.0f * (0.5f + 0.5f * std::sqrt(2.0f / 3.0f)));
    EXPECT_FLOAT_EQ(p.factI(2, 4), 2.0f * (0.5f + 0.5f * std::sqrt(1.0f / 3.0f)));
    EXPECT_FLOAT_EQ(p.factI(3, 4), 1.0f);
    EXPECT_FLOAT_EQ(p.factI(0, 1), 2.0f) << "two pyramid levels: no division by zero";
    p.coarseRatio = 1.0f;
    EXPECT_FLOAT_EQ(p.factI(2, 4), 2.0f);
}

TEST_F(PyrToneFilter, LaplacianPyramidCarriesTheOffset)
{
    const Image image = texture(45, 37, 1, 0.1f, true);
    GLPyrLaplacian a(QSize(45, 37), GL_R32F, 16), b(QSize(45, 37), GL_R32F, 16);
    a.create(uploadGrey(image));
    b.create(uploadGrey(image + 0.25f));
    ASSERT_EQ(a.levels(), 3);
    for (int i = 0; i + 1 < a.levels(); ++i) {
        EXPECT_LT(maxDifference(downloadGrey(a.level(i)), downloadGrey(b.level(i))), 1e-5f) << "level " << i;
        EXPECT_LT(maxDifference(downloadGrey(a.level(i)), laplacianPyramid(image)[size_t(i)]), 1e-4f) << "level " << i;
    }
    // A flat image has no detail: 0.5 everywhere.
    GLPyrLaplacian flat(QSize(30, 20), GL_R32F, 16);
    flat.create(uploadGrey(Image(20, 30, CV_32F, cv::Scalar(0.7))));
    EXPECT_LT(maxDifference(downloadGrey(flat.level(0)), Image(20, 30, CV_32F, cv::Scalar(0.5))), 1e-5f);
    TSFbo rebuilt(QSize(45, 37), GL_R32F);
    a.reconstruct(rebuilt);
    EXPECT_LT(maxDifference(downloadGrey(rebuilt), image), 1e-4f);
}

TEST_F(PyrToneFilter, ReferenceAtThePixelIntensityTakesWeightOne)
{
    GLProg merge(QStringLiteral(":/strobase/glshaders/default.vert"), QStringLiteral(":/strolibs/pyrtone/mergeoutput.frag"));
    const float e = 1.0f / 19;
    const TSFbo gauss = uploadGrey(Image(4, 4, CV_32F, cv::Scalar(5 * e)));
    const TSFbo remap = upload(cv::Mat(4, 4, CV_32FC4, cv::Scalar(0.6, 0.7, 0.8, 0.9)), GL_RGBA32F);
    TSFbo out(QSize(4, 4), GL_RGBA32F);
    out.bind();
    merge.setUniform("refs", QVector4D(4 * e, 5 * e, 6 * e, 7 * e));
    merge.setUniform("stepInv", 19.0f);
    merge.setUniform("fact", 1.0f);
    merge.setTexture("gauss", gauss.texture(), 0);
    merge.setTexture("remap", remap.texture(), 1);
    merge.drawQuad(4, 4);
    out.release();
    const cv::Vec4f v = download(out).at<cv::Vec4f>(2, 2);
    EXPECT_NEAR(v[0], 0.2f, 1e-5f) << "only the second reference's detail";
    EXPECT_NEAR(v[3], 1.0f, 1e-5f) << "its weight 1, its neighbours 0";
}

TEST_F(PyrToneFilter, EmptyInputGivesAnEmptyImageSilently)
{
    PyrTone p;
    int messages = 0;
    static int* counter = nullptr;
    counter = &messages;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {
        ++*counter;
    });
    EXPECT_TRUE(p.proc(TSFbo()).isEmpty());
    qInstallMessageHandler(previous);
    EXPECT_EQ(messages, 0);
}

TEST_F(PyrToneFilter, ZeroGainIsTheIdentity)
{
    const Image image = texture(64, 48, 2, 0.05f, true);
    PyrTone p;
    p.gain = 0.0f;
    const Image out = downloadGrey(p.proc(uploadGrey(image)));
    EXPECT_LT(maxDifference(out, image), 2e-3f);
}

TEST_F(PyrToneFilter, MatchesTheCpuReference)
{
    const Image image = texture(52, 40, 3, 0.08f, true);
    PyrTone p;
    p.gain = 1.5f;
    p.coarseRatio = 0.5f;
    p.sigma = 0.2f;
    p.brightness = 0.05f;
    p.contrast = 1.2f;
    const Image out = downloadGrey(p.proc(uploadGrey(image)));
    EXPECT_EQ(p.numSteps, 8);
    EXPECT_LT(maxDifference(out, referenceFilter(image, p)), 1e-2f);
}

TEST_F(PyrToneFilter, GainBoostsOrTamesDetailWithoutHalos)
{
    const Image image = texture(96, 64, 4, 0.02f, true);
    auto run = [&](float gain) {
        PyrTone p;
        p.gain = gain;
        return downloadGrey(p.proc(uploadGrey(image)));
    };
    auto detail = [](const Image& m) {
        cv::Scalar mean, sd;
        cv::meanStdDev(m(cv::Rect(8, 8, 24, 48)), mean, sd);
        return sd[0];
    };
    const Image boosted = run(1.5f), tamed = run(-0.7f);
    EXPECT_GT(detail(boosted), 1.4 * detail(image)) << "small variations gain contrast";
    EXPECT_LT(detail(tamed), 0.7 * detail(image)) << "a negative gain tames them";
    // No halo: beside the strong edge each side keeps to its own level.
    double lo, hi;
    cv::minMaxLoc(boosted(cv::Rect(40, 8, 7, 48)), &lo, &hi);
    EXPECT_LT(hi, 0.3 + 0.05 + 0.1) << "the dark side does not brighten at the edge";
    cv::minMaxLoc(boosted(cv::Rect(49, 8, 7, 48)), &lo, &hi);
    EXPECT_GT(lo, 0.75 - 0.05 - 0.1) << "the bright side does not darken at the edge";
}

TEST_F(PyrToneFilter, CopiesHaveTheirOwnPrograms)
{
    const Image image = texture(32, 32, 5, 0.05f, false);
    PyrTone kept;
    {
        PyrTone original;
        original.gain = 0.0f;
        kept = original;
    }
    EXPECT_EQ(kept.gain, 0.0f);
    EXPECT_LT(maxDifference(downloadGrey(kept.proc(uploadGrey(image))), image), 2e-3f);
}
