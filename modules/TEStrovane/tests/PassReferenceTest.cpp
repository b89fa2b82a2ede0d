// The generic passes against CPU references of their formulas, on small
// non-square images (half-float tolerances).
#include "GLTestContext.h"
#include "StrovanePassFactory.h"
#include "passes/DiffGaussPass.h"
#include "passes/GaussPass.h"
#include "passes/SepGaussPass.h"
#include "stages/StageHelpers.h"

#include <TGL.h>

#include <QVector2D>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr float kTolerance = 2e-3f;

// Texel index under GL_MIRRORED_REPEAT.
int mirror(int i, int n)
{
    const int m = ((i % (2 * n)) + 2 * n) % (2 * n);
    return m < n ? m : 2 * n - 1 - m;
}

cv::Vec4f at(const cv::Mat& m, int x, int y)
{
    return m.at<cv::Vec4f>(mirror(y, m.rows), mirror(x, m.cols));
}

cv::Vec3f rgbToLab(cv::Vec3f c)
{
    cv::Vec3f lin;
    for (int i = 0; i < 3; ++i)
        lin[i] = c[i] > 0.04045f ? std::pow((c[i] + 0.055f) / 1.055f, 2.4f) : c[i] / 12.92f;
    const cv::Vec3f xyz(100 * (0.4124f * lin[0] + 0.3576f * lin[1] + 0.1805f * lin[2]),
                        100 * (0.2126f * lin[0] + 0.7152f * lin[1] + 0.0722f * lin[2]),
                        100 * (0.0193f * lin[0] + 0.1192f * lin[1] + 0.9505f * lin[2]));
    const cv::Vec3f white(95.047f, 100.0f, 108.883f);
    cv::Vec3f f;
    for (int i = 0; i < 3; ++i) {
        const float n = xyz[i] / white[i];
        f[i] = n > 0.008856f ? std::cbrt(n) : 7.787f * n + 16.0f / 116.0f;
    }
    const float L = 116 * f[1] - 16, a = 500 * (f[0] - f[1]), b = 200 * (f[1] - f[2]);
    return {L / 100, 0.5f + 0.5f * a / 127, 0.5f + 0.5f * b / 127};
}

class PassReference : public GLTestContext {
protected:
    RenderPass* pass(const char* name)
    {
        m_pass.reset(m_factory.create(QLatin1String(name)));
        return m_pass.get();
    }
    cv::Mat draw(RenderPass* p, const QSize& size)
    {
        TSFbo target(size, GL_RGBA16F);
        drawInto(p, target);
        return download(target);
    }

private:
    StrovanePassFactory m_factory;
    std::unique_ptr<RenderPass> m_pass;
};

} // namespace

TEST_F(PassReference, RGB2LabMatchesTheFormula)
{
    cv::Mat input = randomImage(7, 5, 1);
    input.at<cv::Vec4f>(0, 0) = cv::Vec4f(1, 1, 1, 1);
    input.at<cv::Vec4f>(0, 1) = cv::Vec4f(0, 0, 0, 1);
    const TSFbo image = upload(input, GL_RGBA32F);
    RenderPass* p = pass("RGB2Lab");
    bindImage(p, "tex_img", image, 0);
    const cv::Mat out = draw(p, image.size());
    cv::Mat expected(input.size(), CV_32FC4);
    for (int y = 0; y < input.rows; ++y)
        for (int x = 0; x < input.cols; ++x) {
            const cv::Vec4f c = input.at<cv::Vec4f>(y, x);
            const cv::Vec3f lab = rgbToLab({c[0], c[1], c[2]});
            expected.at<cv::Vec4f>(y, x) = cv::Vec4f(lab[0], lab[1], lab[2], 1);
        }
    EXPECT_LT(maxDifference(out, expected), kTolerance);
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 0)[0], 1.0f, kTolerance) << "white";
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 0)[1], 0.5f, kTolerance);
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 1)[0], 0.0f, kTolerance) << "black";
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 1)[2], 0.5f, kTolerance);
}

TEST_F(PassReference, Lab2RGBInvertsRGB2Lab)
{
    cv::Mat input = randomImage(6, 9, 2);
    cv::Mat lab(input.size(), CV_32FC4);
    for (int y = 0; y < input.rows; ++y)
        for (int x = 0; x < input.cols; ++x) {
            const cv::Vec4f c = input.at<cv::Vec4f>(y, x);
            const cv::Vec3f l = rgbToLab({c[0], c[1], c[2]});
            lab.at<cv::Vec4f>(y, x) = cv::Vec4f(l[0], l[1], l[2], 1);
        }
    const TSFbo image = upload(lab, GL_RGBA32F);
    RenderPass* p = pass("Lab2RGB");
    bindImage(p, "tex_img", image, 0);
    EXPECT_LT(maxDifference(draw(p, image.size()), input), 3e-3f);
}

// The smoothing of the structure tensor: rounds of the 15-tap kernel, each
// mirrored at the edges, as the folded kernel read with bilinear taps does
// them in one pass, at full and at half size; images smaller than the
// kernel's reach included.
TEST_F(PassReference, GaussIsRoundsOfTheFifteenTapKernelInOnePass)
{
    static const float w[8] = {0.159576912161f, 0.147308056121f, 0.115876621105f, 0.0776744219933f,
                               0.0443683338718f, 0.0215963866053f, 0.00895781211794f, 0.0044299121055113265f};
    const cv::Mat input = randomImage(11, 26, 3);
    const TSFbo image = upload(input, GL_RGBA32F);
    auto* p = static_cast<GaussPass*>(pass("Gauss"));
    for (int rounds = 1; rounds <= GaussPass::kMaxRounds; ++rounds) {
        for (bool vertical : {false, true}) {
            TSFbo target(image.size(), GL_RGBA16F);
            p->draw({image.texture(), image.size(), vertical, rounds}, target);
            cv::Mat expected = input.clone();
            for (int r = 0; r < rounds; ++r) {
                const cv::Mat in = expected.clone();
                for (int y = 0; y < in.rows; ++y)
                    for (int x = 0; x < in.cols; ++x) {
                        cv::Vec4f sum(0, 0, 0, 0);
                        for (int k = -7; k <= 7; ++k)
                            sum += w[std::abs(k)] * (vertical ? at(in, x, y + k) : at(in, x + k, y));
                        expected.at<cv::Vec4f>(y, x) = sum;
                    }
            }
            EXPECT_LT(maxDifference(download(target), expected), kTolerance)
                << rounds << " rounds, vertical " << vertical;
        }
    }
    // At half size: the three rounds' 43 weights, every second one of them
    // from the centre out, scaled to sum to 1.
    std::vector<double> all{1.0};
    for (int r = 0; r < 3; ++r) {
        std::vector<double> next(all.size() + 14, 0.0);
        for (size_t i = 0; i < all.size(); ++i)
            for (int k = -7; k <= 7; ++k)
                next[i + size_t(k + 7)] += all[i] * w[std::abs(k)];
        all.swap(next);
    }
    std::vector<double> half;
    double sum = 0;
    for (int k = -20; k <= 20; k += 2) {
        half.push_back(all[size_t(k + 21)]);
        sum += half.back();
    }
    for (bool vertical : {false, true}) {
        TSFbo target(image.size(), GL_RGBA16F);
        p->draw({image.texture(), image.size(), vertical, GaussPass::kMaxRounds, 2}, target);
        cv::Mat expected = input.clone();
        for (int y = 0; y < input.rows; ++y)
            for (int x = 0; x < input.cols; ++x) {
                cv::Vec4f s(0, 0, 0, 0);
                for (int k = -10; k <= 10; ++k)
                    s += float(half[size_t(k + 10)] / sum) * (vertical ? at(input, x, y + k) : at(input, x + k, y));
                expected.at<cv::Vec4f>(y, x) = s;
            }
        EXPECT_LT(maxDifference(download(target), expected), kTolerance) << "at half size, vertical " << vertical;
    }
    // A constant stays constant.
    const cv::Mat constant(5, 8, CV_32FC4, cv::Scalar(0.3, 0.6, 0.9, 1));
    const TSFbo flat = upload(constant, GL_RGBA32F);
    TSFbo target(flat.size(), GL_RGBA16F);
    p->draw({flat.texture(), flat.size(), false, GaussPass::kMaxRounds}, target);
    EXPECT_LT(maxDifference(download(target), constant), kTolerance);
}

// Both blurs of the line image, axis by axis in two passes, against two
// separate 2D blurs of the lightness.
TEST_F(PassReference, SepGaussBlursTheLightnessTwiceOutToTwoSigma)
{
    const cv::Mat input = randomImage(9, 13, 4);
    const TSFbo image = upload(input, GL_RGBA32F);
    // The wide blur is rounded to 1/255 steps between its axes.
    auto blur = [&](float sigma, bool rounded) {
        cv::Mat out = input.clone();
        for (bool vertical : {false, true}) {
            if (vertical && rounded)
                for (auto it = out.begin<cv::Vec4f>(); it != out.end<cv::Vec4f>(); ++it)
                    (*it)[0] = std::round((*it)[0] * 255) / 255;
            const cv::Mat in = out.clone();
            for (int y = 0; y < in.rows; ++y)
                for (int x = 0; x < in.cols; ++x) {
                    float sum = in.at<cv::Vec4f>(y, x)[0], norm = 1;
                    for (int n = 1; n <= 2 * sigma; ++n) {
                        const float k = std::exp(-n * n / (2 * sigma * sigma));
                        const int dx = vertical ? 0 : n, dy = vertical ? n : 0;
                        sum += k * (at(in, x + dx, y + dy)[0] + at(in, x - dx, y - dy)[0]);
                        norm += 2 * k;
                    }
                    out.at<cv::Vec4f>(y, x)[0] = sum / norm;
                }
        }
        return out;
    };
    auto* p = static_cast<SepGaussPass*>(pass("SepGauss"));
    const std::pair<float, float> sigmas[] = {{1.0f, 1.6f}, {0.4f, 3.0f}, {2.0f, 0.4f}};
    for (const auto& [narrow, wide] : sigmas) {
        TSFbo across(image.size(), GL_RGBA32F), both(image.size(), GL_RGBA16F);
        p->draw({image.texture(), image.size(), false, false, narrow, wide}, across);
        p->draw({across.texture(), image.size(), true, true, narrow, wide}, both);
        const cv::Mat out = download(both);
        const cv::Mat expectedNarrow = blur(narrow, false), expectedWide = blur(wide, true);
        float worst = 0;
        for (int y = 0; y < input.rows; ++y)
            for (int x = 0; x < input.cols; ++x) {
                const cv::Vec4f v = out.at<cv::Vec4f>(y, x);
                worst = std::max({worst, std::abs(v[0] - expectedNarrow.at<cv::Vec4f>(y, x)[0]),
                                  std::abs(v[1] - expectedWide.at<cv::Vec4f>(y, x)[0])});
            }
        EXPECT_LT(worst, kTolerance) << "sigmas " << narrow << ", " << wide;
        for (int c : {0, 1})
            if ((c == 0 ? narrow : wide) < 0.5f) {
                EXPECT_NEAR(out.at<cv::Vec4f>(4, 3)[c], input.at<cv::Vec4f>(4, 3)[0], kTolerance)
                    << "below 0.5 the lightness passes unchanged";
            }
    }
}

TEST_F(PassReference, DiffGaussIsTheClampedLightnessDifference)
{
    cv::Mat blurs = randomImage(8, 5, 5);
    blurs.at<cv::Vec4f>(0, 0)[1] = blurs.at<cv::Vec4f>(0, 0)[0];          // equal: 0.98
    blurs.at<cv::Vec4f>(0, 1)[1] = blurs.at<cv::Vec4f>(0, 1)[0] - 0.02f;  // narrow brighter by 0.02: 0
    const TSFbo image = upload(blurs, GL_RGBA32F);
    TSFbo target(image.size(), GL_RGBA16F);
    static_cast<DiffGaussPass*>(pass("DiffGauss"))->draw({image.texture()}, target);
    const cv::Mat out = download(target);
    cv::Mat expected(blurs.size(), CV_32FC4);
    for (int y = 0; y < blurs.rows; ++y)
        for (int x = 0; x < blurs.cols; ++x) {
            const cv::Vec4f b = blurs.at<cv::Vec4f>(y, x);
            const float g = std::clamp(1 - 100 * (b[0] - b[1]), 0.0f, 0.98f);
            expected.at<cv::Vec4f>(y, x) = cv::Vec4f(g, g, g, 1);
        }
    EXPECT_LT(maxDifference(out, expected), kTolerance);
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 0)[0], 0.98f, kTolerance);
    EXPECT_NEAR(out.at<cv::Vec4f>(0, 1)[0], 0.0f, kTolerance);
}

TEST_F(PassReference, OldContentNeverShowsThroughEvenWithBlendingLeftOn)
{
    // Someone left blending on, and the pass writes a half-transparent
    // result: two targets with different old content must still come out
    // alike, as the target is cleared before the draw.
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    f->glEnable(GL_BLEND);
    f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const TSFbo halfClear = upload(cv::Mat(4, 4, CV_32FC4, cv::Scalar(0.5, 0.5, 0.5, 0.5)));
    auto* p = static_cast<GaussPass*>(pass("Gauss"));
    TSFbo red = upload(cv::Mat(4, 4, CV_32FC4, cv::Scalar(1, 0, 0, 1)));
    TSFbo blue = upload(cv::Mat(4, 4, CV_32FC4, cv::Scalar(0, 0, 1, 0.2)));
    p->draw({halfClear.texture(), halfClear.size(), false, 1}, red);
    p->draw({halfClear.texture(), halfClear.size(), false, 1}, blue);
    f->glDisable(GL_BLEND);
    EXPECT_LT(maxDifference(download(red), download(blue)), kTolerance);
}

TEST_F(PassReference, FactoryKnowsFifteenPassesAndRefusesOthers)
{
    StrovanePassFactory factory;
    EXPECT_EQ(StrovanePassFactory::passNames().size(), 15);
    for (const QString& name : StrovanePassFactory::passNames()) {
        std::unique_ptr<RenderPass> p(factory.create(name));
        ASSERT_TRUE(p) << name.toStdString();
        EXPECT_TRUE(p->program()->isLinked()) << name.toStdString();
    }
    try {
        factory.create(QStringLiteral("gauss"));
        FAIL() << "names are case-sensitive";
    } catch (const std::string& e) {
        EXPECT_EQ(e, "no such passgauss");
    }
}
