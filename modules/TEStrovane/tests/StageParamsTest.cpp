#include "StageParams.h"
#include "StrovaneValues.h"
#include "TStrovaneWorker.h"
#include "TStrovane.h"
#include "stages/PainterSettings.h"
#include "stages/SizePolicy.h"

#include <QColor>
#include <QPointF>

#include <gtest/gtest.h>

TEST(StageParams, TranslatesTheDefaultsUnderDottedKeys)
{
    const StageParams s = StageParams::from(TStrovane().params());
    const QVariantMap& v = s.values;
    EXPECT_EQ(v.value("stroke.sets"), QVariant(QStringLiteral("e626558c-77dc-4b33-b795-ca2642b2ed21")));
    EXPECT_EQ(v.value("density.level"), QVariant(1.0f)) << "the level ends up a float";
    EXPECT_EQ(s.densityLevel, 1);
    EXPECT_EQ(v.value("stroke.balance"), QVariant(0.5f)) << "(1 - 0) x 0.5";
    EXPECT_EQ(v.value("bg.type"), QVariant(0.0f));
    EXPECT_EQ(v.value("reveal.center.x"), QVariant(0.5));
    EXPECT_EQ(v.value("bg.canvas.texture.xdir"), QVariant(1.0));
    EXPECT_EQ(v.value("bg.canvas.texture.ydir"), QVariant(0.0));
    EXPECT_EQ(v.value("vignette.center"), QVariant(QPointF(0.5, 0.5)));
    EXPECT_EQ(v.value("vignette.color"), QVariant(QColor(0, 0, 0, 255)));
    EXPECT_EQ(v.value("hsl.sat.aqua"), QVariant(0.0f));
    EXPECT_EQ(v.value("canvas_type"), QVariant(QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613")));
    EXPECT_EQ(v.value("stroke.smugesize"), QVariant(0.0f));
    EXPECT_FALSE(v.contains("stroke.thickness")) << "no stage reads the thickness";
    EXPECT_EQ(s.strokeGenerationKeys, QStringList{"density.level"});
    EXPECT_EQ(s.basicAdjustmentKeys.size(), 37);
    EXPECT_EQ(s.paintingKeys.size(), 21);
    for (const QString& key : s.basicAdjustmentKeys + s.paintingKeys)
        EXPECT_TRUE(v.contains(key)) << key.toStdString();
}

TEST(StageParams, MissingParametersReadAsZeroValues)
{
    const StageParams s = StageParams::from(QVariantMap{{"stroke_balance", 1.0}, {"bg_type", true}});
    EXPECT_EQ(s.values.value("stroke.balance"), QVariant(0.0f));
    EXPECT_EQ(s.values.value("bg.type"), QVariant(1.0f));
    EXPECT_EQ(s.values.value("stroke.size"), QVariant(0.0f));
    EXPECT_EQ(s.values.value("stroke.sets"), QVariant(QString()));
    EXPECT_EQ(s.values.value("vignette.color"), QVariant(QColor()));
    EXPECT_EQ(s.densityLevel, 0);
}

TEST(StrovaneValues, TypedFromTheRequestLikeTheStageKeys)
{
    const StrovaneValues defaults = StrovaneValues::from(TStrovane().params());
    EXPECT_EQ(defaults.stroke_type, QStringLiteral("e626558c-77dc-4b33-b795-ca2642b2ed21"));
    EXPECT_EQ(defaults.density_level, 1);
    EXPECT_EQ(defaults.reveal_center, QPointF(0.5, 0.5));
    EXPECT_EQ(defaults.bg_canvas_texture_color, QColor(255, 255, 255, 255));
    EXPECT_FALSE(defaults.bg_type);

    QVariantMap stored;
    stored.insert("stroke_brush_size", "0.75");
    stored.insert("bg_type", 1);
    stored.insert("vignette_center", QVariantList{0.25, 0.5});
    const StrovaneValues v = StrovaneValues::from(stored);
    const StageParams stage = StageParams::from(stored);
    EXPECT_EQ(v.stroke_brush_size, stage.values.value("stroke.size").toFloat());
    EXPECT_EQ(v.stroke_brush_size, 0.75f);
    EXPECT_TRUE(v.bg_type);
    EXPECT_EQ(v.vignette_center, stage.values.value("vignette.center").toPointF());
    EXPECT_EQ(v.stroke_lightness, 0.0f) << "missing reads as zero, as under the stage keys";
    EXPECT_EQ(v.vignette_amount, stage.values.value("vignette.amount").toFloat());
    EXPECT_EQ(balanceStageValue(v.stroke_balance), stage.values.value("stroke.balance").toFloat());
}

TEST(PainterSettings, BatchSizeFallsWithImageAndStrokeSize)
{
    EXPECT_EQ(PainterSettings::batchSize(QSize(4000, 3000), 0.5f), 264);
    EXPECT_EQ(PainterSettings::batchSize(QSize(4000, 3000), 1.0f), 16);
    EXPECT_EQ(PainterSettings::batchSize(QSize(2560, 1600), 0.5f), 512);
    EXPECT_EQ(PainterSettings::batchSize(QSize(2000, 2000), 1.0f), 512) << "4,000,000 exactly is not below";
    EXPECT_EQ(PainterSettings::batchSize(QSize(4000, 2000), 1.0f), 16);
}

TEST(PainterSettings, UniformsFromStageValues)
{
    StrovaneValues values = StrovaneValues::from(TStrovane().params());
    PainterSettings s = PainterSettings::from(values, QSize(3000, 1500));
    EXPECT_EQ(s.imageScale, QVector2D(1, 2));
    EXPECT_FLOAT_EQ(s.strokeSize, 0.1f);
    EXPECT_FLOAT_EQ(s.strokeTransparent, 0.0f);
    EXPECT_EQ(s.brushScale, QVector2D(0.05f, 0.05f));
    EXPECT_FLOAT_EQ(s.revealSize, 2.0f);
    EXPECT_FLOAT_EQ(s.revealSpread, 1.0f);
    EXPECT_EQ(s.revealCenter, QVector2D(0, 0));
    EXPECT_EQ(s.lightdir, QVector2D(0.5f, -0.5f));
    EXPECT_FLOAT_EQ(s.balanceScale, 2.0f);
    EXPECT_EQ(s.backgroundType, 0);
    EXPECT_EQ(PainterSettings::from(values, QSize(1000, 2000)).imageScale, QVector2D(2, 1));

    struct Case {
        float size, strokeSize;
        float transparent, strokeTransparent;
    } cases[] = {{0.0f, 0.025f, 0.0f, -0.9f}, {0.5f, 0.1f, 0.5f, 0.0f}, {1.0f, 0.6f, 1.0f, 4.0f}};
    for (const Case& c : cases) {
        values.stroke_brush_size = c.size;
        values.stroke_paint_opacity = c.transparent;
        s = PainterSettings::from(values, QSize(10, 10));
        EXPECT_FLOAT_EQ(s.strokeSize, c.strokeSize) << c.size;
        EXPECT_FLOAT_EQ(s.strokeTransparent, c.strokeTransparent) << c.transparent;
    }
}

// A preview keeps `fraction` of the strokes' area, taken from the largest.
TEST(PainterSettings, KeepAreaThinsTheLargestStrokesFirst)
{
    const std::vector<float> squares{16, 9, 4, 1};
    struct Case {
        double fraction;
        float keepArea;
    } cases[] = {{1.0, 0.0f}, {1.5, 0.0f}, {0.5, 5.0f}, {12.0 / 30.0, 11.0f / 3.0f}, {0.1, 0.75f}};
    for (const Case& c : cases) {
        const float k = PainterSettings::keepAreaFor(squares, c.fraction);
        EXPECT_NEAR(k, c.keepArea, 1e-5) << c.fraction;
        if (k > 0) {
            double kept = 0;
            for (float a : squares)
                kept += std::min(a, k);
            EXPECT_NEAR(kept, c.fraction * 30.0, 1e-4) << c.fraction;
        }
    }
    EXPECT_EQ(PainterSettings::keepAreaFor({}, 0.5), 0.0f);
}

TEST(Smudge, SigmaFollowsTheSmudgeSize)
{
    EXPECT_EQ(TStrovaneWorker::smudgeSigma(0.05f), 1.0f);
    EXPECT_EQ(TStrovaneWorker::smudgeSigma(0.5f), 5.0f);
    EXPECT_EQ(TStrovaneWorker::smudgeSigma(1.0f), 10.0f);
}

TEST(SizePolicy, PreprocessingAndWorkingSizes)
{
    struct Case {
        QSize input, request;
        bool lowResolution;
        QSize preprocessing, working;
        float preprocessingScale;
    } cases[] = {
        {{2560, 1600}, {2560, 1600}, false, {2048, 1280}, {2560, 1600}, 1.0f},
        {{2560, 1600}, {640, 400}, false, {2048, 1280}, {640, 400}, 1.0f},
        {{1000, 500}, {1000, 500}, false, {1000, 500}, {1000, 500}, 1000.0f / 2048},
        {{6000, 4000}, {6000, 4000}, true, {2048, 1365}, {2048, 1365}, 1.0f},
        {{6000, 4000}, {6000, 4000}, false, {2048, 1365}, {6000, 4000}, 1.0f},
        {{2048, 2048}, {2048, 2048}, true, {2048, 2048}, {2048, 2048}, 1.0f},
        {{2060, 1000}, {2060, 1000}, true, {2048, 994}, {2048, 994}, 1.0f},
        {{1, 9000}, {1, 9000}, true, {1, 2048}, {1, 2048}, 1.0f},
    };
    for (const Case& c : cases) {
        const SizePolicy p = SizePolicy::of(c.input, c.request, c.lowResolution);
        EXPECT_EQ(p.preprocessing, c.preprocessing) << c.input.width() << "x" << c.input.height();
        EXPECT_EQ(p.working, c.working) << c.request.width() << "x" << c.request.height();
        EXPECT_FLOAT_EQ(p.preprocessingScale, c.preprocessingScale);
        EXPECT_EQ(p.reduction < 1.0, p.working != c.request);
    }
}
