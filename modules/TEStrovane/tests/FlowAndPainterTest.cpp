// The flow passes and the painter pass on small images.
#include "WorkerStages.h"
#include "StrovanePassFactory.h"
#include "passes/PainterPass.h"
#include "stages/StageHelpers.h"

#include <ESTexture.h>
#include <TGL.h>

#include <QColor>
#include <QVector2D>

#include <opencv2/imgproc.hpp>

#include <memory>
#include <random>

namespace {

class FlowAndPainter : public WorkerStages {
protected:
    template <typename Pass = RenderPass>
    Pass* pass(const char* name)
    {
        m_passes.emplace_back(m_factory.create(QLatin1String(name)));
        return static_cast<Pass*>(m_passes.back().get());
    }
    // The flow field of the preprocessing stage.
    cv::Mat flowOf(const cv::Mat& rgba)
    {
        const TSFbo image = upload(rgba, GL_RGBA32F);
        TSFbo flow(image.size(), GL_RGBA16F), lines(image.size(), GL_RGBA8);
        worker->preprocessing(image, flow, lines);
        return download(flow);
    }
    // One stroke of the default brushes, as large as the painting stage
    // makes them, in the middle of a flat picture on a flat flow field.
    cv::Mat oneStroke(const cv::Vec4f& colour, const cv::Vec2f& tangent)
    {
        StrovaneValues v = defaults();
        v.stroke_brush_size = 1.0f;
        v.stroke_paint_opacity = 1.0f;
        worker->setValues(v);
        const QSize size(128, 128);
        worker->setFlowField(upload(cv::Mat(size.height(), size.width(), CV_32FC4, cv::Scalar(tangent[0], tangent[1], 0, 0))));
        worker->painter()->uploadStrokeTable({StrokeInstance{0.5f, 0.5f, 1.0f, 16.0f}});
        const TSFbo adjusted = upload(cv::Mat(size.height(), size.width(), CV_32FC4,
                                              cv::Scalar(colour[0], colour[1], colour[2], colour[3])),
                                      GL_RGBA8);
        TSFbo painting(size, GL_RGBA8);
        worker->background(adjusted, painting);
        worker->painting(adjusted, painting);
        return download(painting);
    }

    StrovanePassFactory m_factory;
    std::vector<std::unique_ptr<RenderPass>> m_passes;
};

} // namespace

TEST_F(FlowAndPainter, FlatRegionsGetTheVerticalTangent)
{
    const cv::Mat flow = flowOf(cv::Mat(12, 16, CV_32FC4, cv::Scalar(0.4, 0.5, 0.6, 1)));
    for (int y = 0; y < flow.rows; ++y)
        for (int x = 0; x < flow.cols; ++x)
            ASSERT_EQ(flow.at<cv::Vec4f>(y, x), cv::Vec4f(0, 1, 0, 0)) << x << "," << y;
}

TEST_F(FlowAndPainter, AVerticalEdgeGivesAVerticalTangent)
{
    cv::Mat image(24, 24, CV_32FC4, cv::Scalar(0.1, 0.1, 0.1, 1));
    image(cv::Rect(12, 0, 12, 24)).setTo(cv::Scalar(0.9, 0.8, 0.7, 1));
    const cv::Mat flow = flowOf(image);
    for (int y = 0; y < 24; ++y) {
        const cv::Vec4f t = flow.at<cv::Vec4f>(y, 11);
        EXPECT_NEAR(std::fabs(t[1]), 1.0f, 1e-3f) << "row " << y;
        EXPECT_NEAR(t[0], 0.0f, 1e-3f) << "row " << y;
        EXPECT_GT(t[3], 0.05f) << "the gradient magnitude marks the edge";
    }
    // A horizontal edge: a horizontal tangent.
    cv::Mat turned;
    cv::transpose(image, turned);
    const cv::Vec4f t = flowOf(turned).at<cv::Vec4f>(11, 5);
    EXPECT_NEAR(std::fabs(t[0]), 1.0f, 1e-3f);
}

TEST_F(FlowAndPainter, TangentMapMatchesTheEigenvectorFormula)
{
    cv::Mat tensor(4, 6, CV_32FC4);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> u(0, 1), s(-0.5f, 0.5f);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            tensor.at<cv::Vec4f>(y, x) = cv::Vec4f(u(rng), u(rng), s(rng), 0);
    const TSFbo image = upload(tensor, GL_RGBA32F);
    RenderPass* tfm = pass("Tfm");
    bindImage(tfm, "img", image, 0);
    TSFbo out(image.size(), GL_RGBA32F);
    drawInto(tfm, out);
    const cv::Mat flow = download(out);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const cv::Vec4f g = tensor.at<cv::Vec4f>(y, x);
            const float E = g[0], G = g[1], F = g[2];
            const float l1 = 0.5f * (G + E + std::sqrt(G * G - 2 * E * G + E * E + 4 * F * F));
            const cv::Vec2f v = cv::normalize(cv::Vec2f(E - l1, F));
            const cv::Vec4f t = flow.at<cv::Vec4f>(y, x);
            EXPECT_NEAR(t[0], v[0], 1e-4f);
            EXPECT_NEAR(t[1], v[1], 1e-4f);
            EXPECT_NEAR(t[2], std::sqrt(l1), 1e-4f);
            EXPECT_NEAR(t[3], std::sqrt(E + G), 1e-4f);
        }
}

TEST_F(FlowAndPainter, LicStopsWhereTheTangentVanishes)
{
    // Opposite tangents side by side average to nothing under linear
    // filtering; the tracer must stop there instead of stepping forever.
    cv::Mat flow(8, 8, CV_32FC4, cv::Scalar(0, 0, 0, 0));
    flow(cv::Rect(0, 0, 4, 8)).setTo(cv::Scalar(1, 0, 0, 0));
    flow(cv::Rect(4, 0, 4, 8)).setTo(cv::Scalar(-1, 0, 0, 0));
    cv::Mat image(8, 8, CV_32FC4, cv::Scalar(0.25, 0.5, 0.75, 1));
    const TSFbo flowImage = upload(flow), picture = upload(image);
    StrovaneValues v = defaults();
    v.stroke_smudgesize = 1.0f;
    worker->setValues(v);
    TSFbo out(picture.size(), GL_RGBA16F);
    worker->smudge(flowImage, picture, out);
    const cv::Mat smudged = download(out);
    EXPECT_NEAR(smudged.at<cv::Vec4f>(3, 3)[1], 0.5f, 2e-3f) << "a flat picture stays flat";
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(std::isfinite(smudged.at<cv::Vec4f>(y, x)[0]));
}

namespace {

// Where a stroke covers a white canvas: the centre and the direction of the
// longest axis (degrees, 0..180) of the covered pixels, weighted by cover.
struct Footprint {
    cv::Point2f centre;
    float axisDegrees;
    float elongation;
    float area;
    cv::Vec4f mostCovered;
};

Footprint footprintOf(const cv::Mat& painting)
{
    cv::Moments m;
    cv::Mat cover(painting.size(), CV_32F);
    Footprint f{};
    float best = -1;
    for (int y = 0; y < painting.rows; ++y)
        for (int x = 0; x < painting.cols; ++x) {
            const cv::Vec4f p = painting.at<cv::Vec4f>(y, x);
            const float c = 1.0f - (p[0] + p[1] + p[2]) / 3.0f;
            cover.at<float>(y, x) = c;
            if (c > best) {
                best = c;
                f.mostCovered = p;
            }
        }
    m = cv::moments(cover);
    f.area = float(m.m00);
    f.centre = cv::Point2f(float(m.m10 / m.m00), float(m.m01 / m.m00));
    const double a = m.mu20 / m.m00, b = m.mu11 / m.m00, c = m.mu02 / m.m00;
    double angle = 0.5 * std::atan2(2 * b, a - c) * 180.0 / M_PI;
    if (angle < 0)
        angle += 180;
    f.axisDegrees = float(angle);
    const double root = std::sqrt(4 * b * b + (a - c) * (a - c));
    f.elongation = float(std::sqrt((a + c + root) / std::max(a + c - root, 1e-9)));
    return f;
}

} // namespace

TEST_F(FlowAndPainter, OneStrokeLiesAtItsPlaceAlongTheFlowInThePicturesColour)
{
    const cv::Vec4f colour(0.2f, 0.4f, 0.8f, 1.0f);
    const Footprint along = footprintOf(oneStroke(colour, {1, 0}));
    const Footprint across = footprintOf(oneStroke(colour, {0, 1}));
    const Footprint diagonal = footprintOf(oneStroke(colour, {float(M_SQRT1_2), float(M_SQRT1_2)}));
    auto angleTo = [](float axis, float degrees) {
        const float d = std::fabs(axis - degrees);
        return std::min(d, 180.0f - d);
    };
    EXPECT_LT(angleTo(along.axisDegrees, 0), 5.0f) << along.axisDegrees;
    EXPECT_LT(angleTo(across.axisDegrees, 90), 5.0f) << across.axisDegrees;
    EXPECT_LT(angleTo(diagonal.axisDegrees, 45), 5.0f) << diagonal.axisDegrees;
    EXPECT_GT(along.elongation, 1.5f) << "a brush stroke, longer than wide";
    for (const Footprint& f : {along, across, diagonal}) {
        EXPECT_NEAR(f.centre.x, 63.5f, 1.5f);
        EXPECT_NEAR(f.centre.y, 63.5f, 1.5f);
        EXPECT_NEAR(f.area, along.area, along.area * 0.05f) << "turning keeps the size";
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(f.mostCovered[k], colour[k], 2.5f / 255) << "full cover shows the picture's colour";
    }
    // Size 1 makes the stroke 0.6 x its table size x 1.05 of the picture's
    // half side long: about 20 pixels each way here.
    const cv::Mat painting = oneStroke(colour, {1, 0});
    for (int y = 0; y < painting.rows; ++y)
        for (int x = 0; x < painting.cols; ++x) {
            const cv::Vec4f p = painting.at<cv::Vec4f>(y, x);
            if (std::hypot(x - 63.5f, y - 63.5f) > 21.5f) {
                ASSERT_GT(p[0] + p[1] + p[2], 2.97f) << "paint outside the stroke at " << x << "," << y;
            }
        }
}

TEST_F(FlowAndPainter, StrokeTextureHoldsOneStrokePerTexelInRowOrder)
{
    auto* painter = pass<PainterPass>("Painter");
    std::vector<StrokeInstance> table;
    for (int i = 0; i < 1030; ++i)
        table.push_back({float(i % 7) / 8, float(i % 5) / 8, float(i % 3), float(i)});
    painter->uploadStrokeTable(table);
    EXPECT_EQ(painter->strokeCount(), 1030);
    std::vector<float> texels(size_t(PainterPass::kMaxStrokes) * 4);
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    f->glBindTexture(GL_TEXTURE_2D, painter->strokeTexture());
    f->glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    f->glBindTexture(GL_TEXTURE_2D, 0);
    for (int i : {0, 1, 1023, 1024, 1029}) {
        const int x = i % 1024, y = i / 1024;
        const float* t = &texels[size_t(y * 1024 + x) * 4];
        EXPECT_EQ(t[0], table[size_t(i)].u) << i;
        EXPECT_EQ(t[1], table[size_t(i)].v) << i;
        EXPECT_EQ(t[2], table[size_t(i)].size) << i;
        EXPECT_NEAR(t[3], table[size_t(i)].radius, 0.5f) << i << " (half float)";
    }
}

TEST_F(FlowAndPainter, ATableBeyondTheTextureIsCut)
{
    auto* painter = pass<PainterPass>("Painter");
    std::vector<StrokeInstance> huge(size_t(PainterPass::kMaxStrokes) + 10, StrokeInstance{0.5f, 0.5f, 1.0f, 2.0f});
    painter->uploadStrokeTable(huge);
    EXPECT_EQ(painter->strokeCount(), PainterPass::kMaxStrokes);
}

TEST_F(FlowAndPainter, PainterClearsToTheCanvasColourAndRestoresBlending)
{
    auto* painter = pass<PainterPass>("Painter");
    // A white image has no ink for strokes: an empty table.
    painter->prepareStrokes(cv::Mat(16, 16, CV_8UC4, cv::Scalar(255, 255, 255, 255)), 1);
    ASSERT_EQ(painter->strokeCount(), 0);
    painter->setParam(QStringLiteral("bg.type"), 0);
    painter->setParam(QStringLiteral("bg.canvas.texture.color"), QColor(255, 0, 0, 255));
    TSFbo target = upload(cv::Mat(6, 6, CV_32FC4, cv::Scalar(0, 0, 1, 1)), GL_RGBA8);
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    f->glDisable(GL_BLEND);
    f->glBlendFunc(GL_ONE, GL_ZERO);
    painter->initGeometry(target.size());
    painter->render(target.size(), target);
    const cv::Mat out = download(target);
    EXPECT_EQ(out.at<cv::Vec4f>(3, 3), cv::Vec4f(1, 0, 0, 1)) << "cleared to the canvas colour";
    EXPECT_FALSE(f->glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    f->glGetIntegerv(GL_BLEND_SRC_ALPHA, &src);
    f->glGetIntegerv(GL_BLEND_DST_ALPHA, &dst);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ZERO);

    // "Original" background: the target is kept.
    painter->setParam(QStringLiteral("bg.type"), 1);
    TSFbo kept = upload(cv::Mat(6, 6, CV_32FC4, cv::Scalar(0, 0, 1, 1)), GL_RGBA8);
    painter->render(kept.size(), kept);
    EXPECT_EQ(download(kept).at<cv::Vec4f>(3, 3), cv::Vec4f(0, 0, 1, 1));
}

TEST_F(FlowAndPainter, BuiltTablesAreReusedUntilReset)
{
    auto* painter = pass<PainterPass>("Painter");
    cv::Mat lines(64, 64, CV_8UC4, cv::Scalar(250, 250, 250, 255));
    cv::line(lines, cv::Point(32, 0), cv::Point(32, 63), cv::Scalar(0, 0, 0, 255), 3);
    painter->prepareStrokes(lines, 2);
    const int count = painter->strokeCount();
    ASSERT_GT(count, 0);
    const cv::Mat blank(64, 64, CV_8UC4, cv::Scalar(250, 250, 250, 255));
    painter->prepareStrokes(blank, 2);
    EXPECT_EQ(painter->strokeCount(), count) << "the level's table is kept";
    painter->resetStrokes();
    painter->prepareStrokes(blank, 2);
    EXPECT_EQ(painter->strokeCount(), int(PainterPass::buildTable(blank, 2).size()));
}

TEST_F(FlowAndPainter, LoadedTexturesLiveAsLongAsTheirHandles)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    const QString atlas = QStringLiteral(STROVANE_TGRC_DIR "/e626558c-77dc-4b33-b795-ca2642b2ed21normal.png");
    GLuint id = 0;
    {
        const ESTexture texture = mygl::file::load(atlas, GL_REPEAT);
        ASSERT_NE(texture.textureId(), 0u);
        EXPECT_EQ(texture.width(), 1024);
        EXPECT_EQ(texture.height(), 1024);
        EXPECT_TRUE(f->glIsTexture(texture.textureId()));
        const ESTexture copy = texture;
        id = copy.textureId();
    }
    EXPECT_FALSE(f->glIsTexture(id)) << "the last handle deletes the texture";
    const ESTexture missing = mygl::file::load(QStringLiteral("/no/such/file.png"), GL_REPEAT);
    EXPECT_EQ(missing.textureId(), 0u);
    EXPECT_EQ(missing.width(), 0);
    EXPECT_EQ(missing.height(), 0);
}
