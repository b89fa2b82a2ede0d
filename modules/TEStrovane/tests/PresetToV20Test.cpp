#include "Catalogue.h"
#include "PresetToV20.h"
#include "StrovaneParams.h"
#include "TStrovane.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

QVariantMap convert(const QVariantMap& old)
{
    return presetToV20(old);
}

} // namespace

TEST(PresetToV20, TablesAreCompleteAndWellFormed)
{
    const QRegularExpression guid(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    ASSERT_EQ(brushSetTypes().size(), 17);
    int n = 1;
    for (auto it = brushSetTypes().cbegin(); it != brushSetTypes().cend(); ++it, ++n) {
        EXPECT_EQ(it.key(), QStringLiteral("type%1").arg(n, 2, 10, QLatin1Char('0')));
        EXPECT_TRUE(guid.match(it.value()).hasMatch()) << it.value().toStdString();
    }
    EXPECT_EQ(QSet<QString>(brushSetTypes().begin(), brushSetTypes().end()).size(), 17);
    EXPECT_EQ(brushSetTypes().value(QStringLiteral("type01")), TStrovane().stroke_type());

    ASSERT_EQ(canvasCatalogue().size(), 73);
    for (const QString& g : canvasCatalogue())
        EXPECT_TRUE(guid.match(g).hasMatch()) << g.toStdString();
    // Three pairs of names share a canvas.
    EXPECT_EQ(QSet<QString>(canvasCatalogue().begin(), canvasCatalogue().end()).size(), 70);
    for (const auto& pair : {std::make_pair("basket-weave-1", "Canvas II"), std::make_pair("Canvas IV", "loose-weave-3"),
                             std::make_pair("Painting II", "Paper VIII")})
        EXPECT_EQ(canvasCatalogue().value(QLatin1String(pair.first)), canvasCatalogue().value(QLatin1String(pair.second)));
    EXPECT_EQ(canvasCatalogue().value(QStringLiteral("Angled Weave")), TStrovane().canvas_type());
    EXPECT_TRUE(canvasCatalogue().value(QStringLiteral("angled weave")).isEmpty()) << "names match case-sensitively";
}

TEST(PresetToV20, NamesAreCutAtTheFirstDotAndLookedUp)
{
    struct Case {
        const char* sets;
        const char* canvas;
        const char* strokeType;
        const char* canvasType;
    } cases[] = {
        {"type03.png", "Canvas II.jpg", "b7826764-6a69-494c-9105-dc71092333cd", "eba5b271-0c67-4937-8d34-02d280932023"},
        {"type17", "basket-weave-1.png", "0bd6f8d1-a48a-4415-ae9a-9356fc18a235", "eba5b271-0c67-4937-8d34-02d280932023"},
        {"type99", "Paper V.2.png", "", "a503eb59-ca42-4f8d-909c-14b8c855af0c"}, // cut to "Paper V"
        {"", "Canvas.II", "", ""},
        {".type01", "Tile I", "", "c5614c23-e210-4b16-b7b1-f6da01e84329"},
    };
    for (const Case& c : cases) {
        const QVariantMap p = convert({{QStringLiteral("stroke.sets"), QLatin1String(c.sets)},
                                       {QStringLiteral("bg.canvas.texture"), QLatin1String(c.canvas)}});
        EXPECT_EQ(p.value(QStringLiteral("stroke_type")).toString(), QLatin1String(c.strokeType)) << c.sets;
        EXPECT_EQ(p.value(QStringLiteral("canvas_type")).toString(), QLatin1String(c.canvasType)) << c.canvas;
    }
}

TEST(PresetToV20, AbsentKeysAndFixedValues)
{
    const QVariantMap p = convert({{QStringLiteral("stroke.balance"), 0.7},
                                   {QStringLiteral("stroke.highlight"), 0.4},
                                   {QStringLiteral("stroke.shadow"), 0.3},
                                   {QStringLiteral("density.level"), 2},
                                   {QStringLiteral("unrelated.key"), 5},
                                   {QStringLiteral("reveal.center.y"), 0.25}});
    // Keys the converter never reads keep their fixed values.
    EXPECT_EQ(p.value(QStringLiteral("stroke_balance")), QVariant(0.0f));
    EXPECT_EQ(p.value(QStringLiteral("stroke_highlight")), QVariant(0.0f));
    EXPECT_EQ(p.value(QStringLiteral("stroke_shadow")), QVariant(0.0f));
    EXPECT_EQ(p.value(QStringLiteral("density_level")), QVariant(1));
    EXPECT_EQ(p.value(QStringLiteral("vignette_roundness")), QVariant(1.0f));
    EXPECT_EQ(p.value(QStringLiteral("vignette_amount")), QVariant(1.0));
    EXPECT_EQ(p.value(QStringLiteral("vignette_color")), QVariant(QColor(0, 0, 0, 255)));
    // Absent keys: the fallbacks, zeros, or an invalid value for plain copies.
    EXPECT_EQ(p.value(QStringLiteral("stroke_rotation")), QVariant(0.0));
    EXPECT_EQ(p.value(QStringLiteral("stroke_color_jitter")), QVariant(0.0));
    EXPECT_EQ(p.value(QStringLiteral("bg_type")), QVariant(false));
    EXPECT_EQ(p.value(QStringLiteral("reveal_center")), QVariant(QPointF(0, 0.25)));
    EXPECT_EQ(p.value(QStringLiteral("vignette_midpoint")), QVariant(0.0f));
    EXPECT_FALSE(p.value(QStringLiteral("stroke_brush_size")).isValid());
    EXPECT_TRUE(p.contains(QStringLiteral("stroke_brush_size")));
    EXPECT_EQ(p.value(QStringLiteral("blendMode")), QVariant(0));
    EXPECT_EQ(p.value(QStringLiteral("opacity")), QVariant(1.0));

    QStringList expected{QStringLiteral("blendMode"), QStringLiteral("opacity")};
    for (const StrovaneParam& param : strovaneParams())
        expected << param.key;
    expected.sort();
    EXPECT_EQ(p.keys(), expected) << "exactly the 60 parameters plus blendMode and opacity";
}

TEST(PresetToV20, CopiesValuesUnderTheirNewKeys)
{
    const QVariantMap p = convert({{QStringLiteral("stroke.size"), 0.7},
                                   {QStringLiteral("adjust.contrast"), 0.2},
                                   {QStringLiteral("stroke.smugesize"), 0.3},
                                   {QStringLiteral("vignette.spread"), 0.4},
                                   {QStringLiteral("vignette.size"), QStringLiteral("0.6")},
                                   {QStringLiteral("hsl.sat.aqua"), -0.5},
                                   {QStringLiteral("bg.type"), true},
                                   {QStringLiteral("stroke.rotation"), 0.9},
                                   {QStringLiteral("bg.canvas.texture.color"), QStringLiteral("#ff0000ff")},
                                   {QStringLiteral("bg.canvas.texture.xdir"), 0.2},
                                   {QStringLiteral("bg.canvas.texture.ydir"), 0.8},
                                   {QStringLiteral("vignette.center.x"), 0.3}});
    EXPECT_EQ(p.value(QStringLiteral("stroke_brush_size")), QVariant(0.7));
    EXPECT_EQ(p.value(QStringLiteral("stroke_contrast")), QVariant(0.2));
    EXPECT_EQ(p.value(QStringLiteral("stroke_smudgesize")), QVariant(0.3));
    EXPECT_EQ(p.value(QStringLiteral("vignette_transition")), QVariant(0.4));
    EXPECT_EQ(p.value(QStringLiteral("vignette_midpoint")), QVariant(0.6f));
    EXPECT_EQ(p.value(QStringLiteral("hsl_sat_aqua")), QVariant(-0.5));
    EXPECT_EQ(p.value(QStringLiteral("bg_type")), QVariant(true));
    EXPECT_EQ(p.value(QStringLiteral("stroke_rotation")), QVariant(0.9));
    EXPECT_EQ(p.value(QStringLiteral("bg_canvas_texture_color")), QVariant(QStringLiteral("#ff0000ff")));
    EXPECT_EQ(p.value(QStringLiteral("bg_canvas_texture_dir")), QVariant(QPointF(0.2f, 0.8f)));
    EXPECT_EQ(p.value(QStringLiteral("vignette_center")), QVariant(QPointF(0.3f, 0)));
}

TEST(PresetToV20, AnOldPresetAppliesToTheEffect)
{
    TStrovane e;
    const QVariantMap old{{QStringLiteral("stroke.sets"), QStringLiteral("type02.png")},
                          {QStringLiteral("stroke.size"), 0.75},
                          {QStringLiteral("bg.canvas.texture.color"), QStringLiteral("#102030ff")}};
    ASSERT_TRUE(e.setPreset({{QStringLiteral("version"), QStringLiteral("0.0")}, {QStringLiteral("params"), old}}));
    EXPECT_EQ(e.stroke_type(), QStringLiteral("83fc382d-ef61-47a5-9ebc-da13fe1d00fe"));
    EXPECT_EQ(e.stroke_brush_size(), 0.75f);
    EXPECT_EQ(e.bg_canvas_texture_color(), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(e.stroke_paint_opacity(), 0.5f) << "an absent old key leaves the default";
    EXPECT_EQ(e.density_level(), 1);
}
