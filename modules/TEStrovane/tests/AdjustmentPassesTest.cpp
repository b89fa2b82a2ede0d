// The adjustment, vignette, background and canvas passes and the bilateral
// filter against CPU references of their formulas, on small images.
#include "WorkerStages.h"
#include "StrovanePassFactory.h"
#include "passes/HSLAdjustPass.h"
#include "stages/StageHelpers.h"

#include <FastBilateralFilter.h>

#include <QVector2D>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr float kTolerance = 3e-3f;

cv::Vec3f rgb2hsl(cv::Vec3f c)
{
    const float maxC = std::max({c[0], c[1], c[2]}), minC = std::min({c[0], c[1], c[2]});
    const float d = maxC - minC, l = (maxC + minC) / 2;
    float h = 0;
    if (d > 0) {
        if (maxC == c[0])
            h = std::fmod((c[1] - c[2]) / d + 6.0f, 6.0f);
        else if (maxC == c[1])
            h = (c[2] - c[0]) / d + 2;
        else
            h = (c[0] - c[1]) / d + 4;
        h /= 6;
    }
    const float s = d / (1 - std::fabs(maxC + minC - 1) + 1e-10f);
    return {std::clamp(h, 0.0f, 1.0f), std::clamp(s, 0.0f, 1.0f), std::clamp(l, 0.0f, 1.0f)};
}

cv::Vec3f hsl2rgb(float h, float C, float l)
{
    cv::Vec3f out;
    const float k[3] = {1.0f, 2.0f / 3.0f, 1.0f / 3.0f};
    for (int i = 0; i < 3; ++i) {
        const float f = h + k[i];
        const float p = std::fabs((f - std::floor(f)) * 6 - 3);
        out[i] = std::clamp(std::clamp(p - 1, 0.0f, 1.0f) * C + l - C / 2, 0.0f, 1.0f);
    }
    return out;
}

// A range mask as the 1-D texture samples it (1024 texels, linear, clamped).
float maskWeight(int range, float hue)
{
    const float t = std::clamp(hue * 1024.0f - 0.5f, 0.0f, 1023.0f);
    const int i0 = int(std::floor(t)), i1 = std::min(i0 + 1, 1023);
    const float w0 = hslRangeWeight(range, i0 * 360.0f / 1024), w1 = hslRangeWeight(range, i1 * 360.0f / 1024);
    return w0 + (w1 - w0) * (t - i0);
}

struct HslParams {
    float hue[9] = {}, sat[9] = {}, lum[9] = {};
};

cv::Vec3f hslReference(cv::Vec3f rgb, const HslParams& p)
{
    auto hueValue = [](float v) { return v > 0 ? v * v : -v * v; };
    const cv::Vec3f hsl = rgb2hsl(rgb);
    const float h = hsl[0], s = hsl[1], l = hsl[2];
    const float k = s * (1 - std::fabs(2 * l - 1));
    const float cm = std::clamp(k / 0.15f, 0.0f, 1.0f), sm = k >= 0.2f ? 1.0f : k / 0.2f;
    float kH = hueValue(p.hue[0]), kS = p.sat[0], kL = 0;
    for (int r = 0; r < 8; ++r) {
        const float w = maskWeight(r, h);
        kH += w * hueValue(p.hue[r + 1]);
        kS += w * p.sat[r + 1];
        kL += w * p.lum[r + 1];
    }
    kL = kL * cm + p.lum[0];
    float h2 = h + kH;
    if (h2 >= 1)
        h2 -= 1;
    else if (h2 < 0)
        h2 += 1;
    kL = std::clamp(kL, -1.0f, 1.0f) * 0.8f;
    const float l2 = kL >= 0 ? l * (1 - kL) + kL : l * (1 + kL);
    float s0 = k / (1.001f - std::fabs(2 * l2 - 1));
    if (l2 < 0.0001f || l2 >= 1)
        s0 = 0;
    kS = std::clamp(kS, -1.0f, 1.0f);
    const float s2 = kS >= 0 ? s0 * (1 - kS * sm) + kS * sm : s0 * (1 + kS);
    const float hh = std::clamp(h2, 0.0f, 1.0f), ss = std::clamp(s2, 0.0f, 1.0f), ll = std::clamp(l2, 0.0f, 1.0f);
    return hsl2rgb(hh, std::clamp((1 - std::fabs(2 * ll - 1)) * ss, 0.0f, 1.0f), ll);
}

// The basic adjustment of pixel o over its edge-preserving base b, in the
// pass's terms.
cv::Vec4f basicReference(cv::Vec4f o, cv::Vec4f b, float exposure, float contrast, float highlight, float shadow)
{
    const cv::Vec3f w(0.299f, 0.587f, 0.114f);
    const float Y = o[0] * w[0] + o[1] * w[1] + o[2] * w[2];
    float sY = b[0] * w[0] + b[1] * w[1] + b[2] * w[2];
    sY = std::max(std::exp(std::log(sY + 0.001f) + (Y - sY) * (exposure + 1)) - 0.001f, 0.0f);
    sY += (std::pow(sY, 1 + highlight) - sY) * std::exp(-(sY - 0.9f) * (sY - 0.9f) / 0.1f);
    sY += (std::pow(sY, 1 - shadow / 4) - sY) * std::exp(-(sY - 0.1f) * (sY - 0.1f) / 0.04f);
    const float l = std::clamp(sY, 0.0f, 1.0f);
    float t = l > 0.5f ? 2 - 2 * l : 2 * l;
    t = std::pow(t, contrast + 1) / 2;
    if (l > 0.5f)
        t = 1 - t;
    const float gain = std::clamp((t + 0.01f) / (Y + 0.01f), 0.0f, 4.0f);
    return cv::Vec4f(o[0] * gain, o[1] * gain, o[2] * gain, o[3]);
}

class AdjustmentPasses : public WorkerStages {
protected:
    RenderPass* pass(const char* name)
    {
        m_passes.emplace_back(m_factory.create(QLatin1String(name)));
        return m_passes.back().get();
    }
    cv::Mat draw(RenderPass* p, const QSize& size)
    {
        TSFbo target(size, GL_RGBA32F);
        drawInto(p, target);
        return download(target);
    }
    // The adjustment stages, from the user's values.
    cv::Mat hsl(const cv::Mat& input, const HslParams& params)
    {
        StrovaneValues v = defaults();
        float* const hue[9] = {&v.hsl_hue_all, &v.hsl_hue_red, &v.hsl_hue_orange, &v.hsl_hue_yellow, &v.hsl_hue_green,
                               &v.hsl_hue_aqua, &v.hsl_hue_blue, &v.hsl_hue_purple, &v.hsl_hue_magenta};
        float* const sat[9] = {&v.hsl_sat_all, &v.hsl_sat_red, &v.hsl_sat_orange, &v.hsl_sat_yellow, &v.hsl_sat_green,
                               &v.hsl_sat_aqua, &v.hsl_sat_blue, &v.hsl_sat_purple, &v.hsl_sat_magenta};
        float* const lum[9] = {&v.hsl_lum_all, &v.hsl_lum_red, &v.hsl_lum_orange, &v.hsl_lum_yellow, &v.hsl_lum_green,
                               &v.hsl_lum_aqua, &v.hsl_lum_blue, &v.hsl_lum_purple, &v.hsl_lum_magenta};
        for (int i = 0; i < 9; ++i) {
            *hue[i] = params.hue[i];
            *sat[i] = params.sat[i];
            *lum[i] = params.lum[i];
        }
        worker->setValues(v);
        const TSFbo image = upload(input, GL_RGBA32F);
        TSFbo result(image.size(), GL_RGBA32F);
        worker->hslAdjust(image, result);
        return download(result);
    }
    cv::Mat vignette(const cv::Mat& input, float amount, float roundness, float midpoint, float transition)
    {
        StrovaneValues v = defaults();
        v.vignette_amount = amount;
        v.vignette_roundness = roundness;
        v.vignette_midpoint = midpoint;
        v.vignette_transition = transition;
        worker->setValues(v);
        const TSFbo image = upload(input, GL_RGBA32F);
        TSFbo result(image.size(), GL_RGBA32F);
        worker->vignette(image, result);
        return download(result);
    }

    StrovanePassFactory m_factory;
    std::vector<std::unique_ptr<RenderPass>> m_passes;
};

cv::Vec4f px(const cv::Mat& m, int x, int y)
{
    return m.at<cv::Vec4f>(y, x);
}

} // namespace

TEST(HslRanges, WeightsFollowTheRangeTable)
{
    EXPECT_EQ(hslRangeWeight(0, 355.0f), 1.0f) << "red across 360: 7.5 from 362.5";
    EXPECT_EQ(hslRangeWeight(0, 2.5f), 1.0f);
    EXPECT_FLOAT_EQ(hslRangeWeight(0, 20.0f), 1.0f - (17.5f - 7.5f) / 20.0f);
    EXPECT_EQ(hslRangeWeight(0, 180.0f), 0.0f);
    EXPECT_EQ(hslRangeWeight(3, 112.5f), 1.0f) << "green";
    EXPECT_FLOAT_EQ(hslRangeWeight(6, 285.0f), 0.5f) << "purple has no plateau";
    EXPECT_EQ(hslRangeWeight(6, 300.0f), 0.0f);
    EXPECT_EQ(hslRangeWeight(7, 355.0f), 0.0f) << "magenta ends at 355";
}

TEST_F(AdjustmentPasses, BasicAdjustMatchesTheFormula)
{
    const cv::Mat input = randomImage(9, 7, 11, 0.02f, 0.98f);
    cv::Mat base;
    cv::GaussianBlur(input, base, cv::Size(3, 3), 1.0);
    const TSFbo src = upload(input, GL_RGBA32F), smooth = upload(base, GL_RGBA32F);
    struct Case {
        float exposure, contrast, highlight, shadow;
    } cases[] = {{0, 0, 0, 0}, {0.4f, 0.3f, -0.5f, 0.6f}, {-0.5f, -0.4f, 0.8f, -0.7f}, {4.0f, 0, 0, 0}};
    RenderPass* p = pass("BasicAdjust");
    bindImage(p, "src", src, 1);
    bindImage(p, "src_s", smooth, 0);
    for (const Case& c : cases) {
        setUniform(p, "exposure", c.exposure);
        setUniform(p, "contrast", c.contrast);
        setUniform(p, "highlight", c.highlight);
        setUniform(p, "shadow", c.shadow);
        const cv::Mat out = draw(p, src.size());
        cv::Mat expected(input.size(), CV_32FC4);
        for (int y = 0; y < input.rows; ++y)
            for (int x = 0; x < input.cols; ++x)
                expected.at<cv::Vec4f>(y, x) = basicReference(input.at<cv::Vec4f>(y, x), base.at<cv::Vec4f>(y, x),
                                                              c.exposure, c.contrast, c.highlight, c.shadow);
        EXPECT_LT(maxDifference(out, expected), 5e-3f) << c.exposure << " " << c.contrast;
        for (int y = 0; y < out.rows; ++y)
            for (int x = 0; x < out.cols; ++x)
                ASSERT_TRUE(std::isfinite(px(out, x, y)[0])) << "a negative base is clamped, never NaN";
    }
}

// The stage from the user's sliders, on flat images (whose edge-preserving
// base is the image itself): Brightness is half the exposure, and a positive
// Highlight lifts the highlights.
TEST_F(AdjustmentPasses, BasicAdjustStageAppliesTheUsersLighting)
{
    struct Case {
        float lightness, contrast, highlight, shadow;
    } cases[] = {{0, 0, 0, 0}, {0.5f, 0.4f, 0.6f, -0.3f}, {-0.5f, -0.6f, -0.8f, 0.9f}};
    for (const Case& c : cases) {
        StrovaneValues v = defaults();
        v.stroke_lightness = c.lightness;
        v.stroke_contrast = c.contrast;
        v.stroke_highlight = c.highlight;
        v.stroke_shadow = c.shadow;
        worker->setValues(v);
        for (float grey : {0.08f, 0.3f, 0.6f, 0.93f}) {
            const cv::Vec4f o(grey, grey * 0.9f, grey * 0.8f, 1);
            const TSFbo image = upload(cv::Mat(8, 8, CV_32FC4, cv::Scalar(o[0], o[1], o[2], o[3])), GL_RGBA32F);
            TSFbo scratch(image.size(), GL_RGBA32F), result(image.size(), GL_RGBA32F);
            worker->basicAdjust(image, scratch, result);
            const cv::Vec4f expected = basicReference(o, o, c.lightness * 0.5f, c.contrast, -c.highlight, c.shadow);
            const cv::Vec4f got = px(download(result), 4, 4);
            for (int k = 0; k < 4; ++k)
                EXPECT_NEAR(got[k], expected[k], 5e-3f) << "grey " << grey << " lightness " << c.lightness;
        }
    }
}

TEST_F(AdjustmentPasses, HslMatchesTheFormulaAndItsEdgeCases)
{
    cv::Mat input = randomImage(12, 5, 12);
    // A red of hue 355 degrees, a grey, a near grey, pure colours.
    input.at<cv::Vec4f>(0, 0) = cv::Vec4f(0.9f, 0.1f, 0.1f + 0.8f * (5.0f / 60.0f), 1);
    input.at<cv::Vec4f>(0, 1) = cv::Vec4f(0.5f, 0.5f, 0.5f, 1);
    input.at<cv::Vec4f>(0, 2) = cv::Vec4f(0.52f, 0.5f, 0.5f, 1);
    input.at<cv::Vec4f>(0, 3) = cv::Vec4f(0.1f, 0.8f, 0.2f, 1);
    std::vector<HslParams> cases(5);
    cases[1].hue[1] = 0.5f;   // red +0.25 of the circle
    cases[2].hue[0] = -0.5f;  // all -0.25
    cases[3].lum[1] = 0.7f;   // red lighter, but not the greys
    cases[3].lum[0] = -0.3f;  // everything darker, greys too
    cases[4].sat[0] = 0.6f;
    cases[4].sat[4] = -0.9f;
    cases[4].hue[6] = 1.0f;
    for (size_t i = 0; i < cases.size(); ++i) {
        const cv::Mat out = hsl(input, cases[i]);
        cv::Mat expected(input.size(), CV_32FC4);
        for (int y = 0; y < input.rows; ++y)
            for (int x = 0; x < input.cols; ++x) {
                const cv::Vec4f c = input.at<cv::Vec4f>(y, x);
                const cv::Vec3f e = hslReference({c[0], c[1], c[2]}, cases[i]);
                expected.at<cv::Vec4f>(y, x) = cv::Vec4f(e[0], e[1], e[2], 1);
            }
        EXPECT_LT(maxDifference(out, expected), 4e-3f) << "case " << i;
    }
    // The red at 355 degrees takes the red range's shift through the wrap.
    const cv::Vec3f shifted = rgb2hsl({px(hsl(input, cases[1]), 0, 0)[0], px(hsl(input, cases[1]), 0, 0)[1],
                                       px(hsl(input, cases[1]), 0, 0)[2]});
    EXPECT_NEAR(shifted[0], 355.0f / 360.0f + 0.25f - 1.0f, 4e-3f);
    // A grey keeps its lightness under a per-range change and no saturation.
    const cv::Mat lum = hsl(input, cases[3]);
    const cv::Vec4f grey = px(lum, 1, 0);
    EXPECT_NEAR(grey[0], grey[1], 1e-3f);
    EXPECT_NEAR(grey[0], 0.5f * (1 - 0.3f * 0.8f), 3e-3f) << "only the overall lightness applies";
}

TEST_F(AdjustmentPasses, VignetteDefaultsDarkenTheCornersOnly)
{
    const cv::Mat white(101, 101, CV_32FC4, cv::Scalar(1, 1, 1, 1));
    const cv::Mat out = vignette(white, 1, 1, 0, 1);
    EXPECT_NEAR(px(out, 50, 50)[0], 1.0f, 1e-3f) << "the centre is untouched";
    const float corner = px(out, 0, 0)[0];
    EXPECT_GT(corner, 0.75f);
    EXPECT_LT(corner, 0.85f) << "corners about 20 % darker";
    EXPECT_EQ(px(out, 0, 0)[3], 1.0f);

    const cv::Mat input = randomImage(16, 10, 13);
    EXPECT_LT(maxDifference(vignette(input, 0, 0.3f, 0.7f, 0.2f), input), 1e-3f) << "amount 0 changes nothing";

    // A negative transition: a hard edge at the midpoint instead of an
    // undefined smoothstep.
    const cv::Mat hard = vignette(white, 1, 1, 0.5f, -0.5f);
    EXPECT_NEAR(px(hard, 50, 50)[0], 1.0f, 1e-3f);
    EXPECT_NEAR(px(hard, 0, 0)[0], 0.0f, 1e-3f);
    for (int y = 0; y < hard.rows; ++y)
        for (int x = 0; x < hard.cols; ++x) {
            const float v = px(hard, x, y)[0];
            ASSERT_TRUE(v < 1e-3f || v > 1 - 1e-3f) << "hard edge, nothing in between: " << v;
        }
}

TEST_F(AdjustmentPasses, TexturizerLightsTheCanvasRelief)
{
    const cv::Mat painting = randomImage(8, 8, 14);
    cv::Mat height = randomImage(8, 8, 15);
    const TSFbo image = upload(painting, GL_RGBA32F), canvas = upload(height, GL_RGBA32F);
    RenderPass* p = pass("Texturizer");
    bindImage(p, "tex_img", image, 0, GL_NEAREST, GL_MIRRORED_REPEAT);
    p->setResource("tex_tex", QStringLiteral("2D"), canvas.texture(), 1, GL_LINEAR, GL_REPEAT);
    setUniform(p, "imgSize", QVector2D(8, 8));
    setUniform(p, "texSize", QVector2D(8, 8));
    const QVector2D light(0.5f, -0.5f);
    setUniform(p, "lightdir", light);
    for (float strength : {0.0f, 0.1f, 2.0f}) {
        setUniform(p, "texStength", strength);
        const cv::Mat out = draw(p, image.size());
        cv::Mat expected(painting.size(), CV_32FC4);
        auto r = [&](int x, int y) { return height.at<cv::Vec4f>((y + 8) % 8, (x + 8) % 8)[0]; };
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                // "Up" is +y in texture coordinates.
                const float gx = (r(x - 1, y + 1) - r(x + 1, y + 1) + 2 * (r(x - 1, y) - r(x + 1, y)) + r(x - 1, y - 1)
                                  - r(x + 1, y - 1)) * strength;
                const float gy = (r(x - 1, y + 1) - r(x - 1, y - 1) + 2 * (r(x, y + 1) - r(x, y - 1)) + r(x + 1, y + 1)
                                  - r(x + 1, y - 1)) * strength;
                const float gz = 0.5f * std::sqrt(std::max(1 - gx * gx - gy * gy, 0.0f));
                const cv::Vec3f n = cv::normalize(cv::Vec3f(2 * gx, 2 * gy, gz));
                const float lighting = std::max(n[0] * light.x() + n[1] * light.y() + n[2], 0.0f);
                const cv::Vec4f c = painting.at<cv::Vec4f>(y, x);
                expected.at<cv::Vec4f>(y, x) = cv::Vec4f(c[0] * lighting, c[1] * lighting, c[2] * lighting, c[3]);
            }
        EXPECT_LT(maxDifference(out, expected), kTolerance) << "strength " << strength;
        if (strength == 0) {
            EXPECT_LT(maxDifference(out, painting), 1e-4f) << "strength 0 changes nothing";
        }
    }
}

TEST_F(AdjustmentPasses, OriginalBackgroundIsOpaque)
{
    cv::Mat input = randomImage(6, 4, 16);
    input.forEach<cv::Vec4f>([](cv::Vec4f& p, const int*) { p[3] = 0.2f; });
    const TSFbo image = upload(input, GL_RGBA32F);
    RenderPass* p = pass("RenderTexture");
    bindImage(p, "tex_img", image, 0, GL_LINEAR, GL_REPEAT);
    setUniform(p, "offset", QVector2D(0, 0));
    setUniform(p, "scale", QVector2D(1, 1));
    cv::Mat expected = input.clone();
    expected.forEach<cv::Vec4f>([](cv::Vec4f& p, const int*) { p[3] = 1.0f; });
    EXPECT_LT(maxDifference(draw(p, image.size()), expected), kTolerance);
}

// With the usual intensity step (8 bins, one gathering pass) and a fine one
// (21 bins, three passes), which smooths less: each half keeps its level.
TEST_F(AdjustmentPasses, BilateralSmoothsAndKeepsEdges)
{
    // Two flat halves with noise, a hard edge between them.
    cv::Mat input(48, 64, CV_32FC4);
    std::mt19937 rng(17);
    std::normal_distribution<float> noise(0, 0.03f);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const float v = (x < 32 ? 0.25f : 0.75f) + noise(rng);
            input.at<cv::Vec4f>(y, x) = cv::Vec4f(v, v, v, 1);
        }
    const TSFbo image = upload(input, GL_RGBA32F);
    auto spread = [](const cv::Mat& m, cv::Rect r) {
        cv::Scalar mean, sd;
        cv::meanStdDev(m(r), mean, sd);
        return std::make_pair(mean[0], sd[0]);
    };
    velmora::image_processing::algorithms::opengl::FastBilateralFilter filter;
    const struct {
        float range;
        double smoothing; // the noise's spread over what is left of it
    } cases[] = {{0.15f, 3.0}, {0.05f, 1.6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        TSFbo result(image.size(), GL_RGBA32F);
        filter.setup(image, image, 8, c.range, 1);
        filter.proc(image, image, result);
        const cv::Mat out = download(result);
        for (const cv::Rect side : {cv::Rect(4, 4, 20, 40), cv::Rect(40, 4, 20, 40)}) {
            const auto before = spread(input, side);
            const auto after = spread(out, side);
            EXPECT_LT(after.second, before.second / c.smoothing) << "noise is smoothed away";
            EXPECT_NEAR(after.first, before.first, 0.02);
        }
        // Right at the edge each side keeps its own level.
        for (int y = 8; y < 40; ++y) {
            EXPECT_NEAR(px(out, 30, y)[0], 0.25f, 0.06f) << y;
            EXPECT_NEAR(px(out, 33, y)[0], 0.75f, 0.06f) << y;
        }
    }
    // A flat image stays as it is.
    const cv::Mat flat(20, 30, CV_32FC4, cv::Scalar(0.4, 0.5, 0.6, 1));
    const TSFbo flatImage = upload(flat, GL_RGBA32F);
    TSFbo flatResult(flatImage.size(), GL_RGBA32F);
    filter.setup(flatImage, flatImage, 5, 0.15f, 1);
    filter.proc(flatImage, flatImage, flatResult);
    EXPECT_LT(maxDifference(download(flatResult), flat, 3), 1e-3f);
}
