#include "StrovaneParams.h"
#include "TStrovane.h"

#include <QMetaProperty>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QStringList hslKeys()
{
    QStringList keys;
    for (const char* comp : {"hue", "sat", "lum"})
        for (const char* range : {"all", "red", "orange", "yellow", "green", "aqua", "blue", "purple", "magenta"})
            keys << QStringLiteral("hsl_%1_%2").arg(QLatin1String(comp), QLatin1String(range));
    return keys;
}

QStringList expectedKeys()
{
    QStringList keys{"stroke_type", "stroke_brush_size", "stroke_paint_volume", "stroke_paint_opacity",
                     "stroke_rotation", "stroke_length", "stroke_width", "stroke_thickness", "stroke_abstraction",
                     "stroke_rotation_jitter", "stroke_color_jitter", "stroke_balance", "stroke_lightness",
                     "stroke_contrast", "stroke_highlight", "stroke_shadow", "stroke_smudgesize"};
    keys << hslKeys();
    keys << QStringList{"reveal_size", "reveal_spread", "reveal_center", "density_level",
                        "bg_canvas_texture_strength", "bg_canvas_texture_dir", "bg_canvas_texture_scale", "bg_type",
                        "bg_canvas_texture_color", "canvas_type", "vignette_amount", "vignette_center",
                        "vignette_roundness", "vignette_midpoint", "vignette_transition", "vignette_color"};
    return keys;
}

} // namespace

TEST(StrovaneParams, TableHasTheSixtyKeysInOrderWithTheirDefaults)
{
    const QVector<StrovaneParam>& table = strovaneParams();
    QStringList keys;
    for (const StrovaneParam& p : table)
        keys << p.key;
    ASSERT_EQ(keys, expectedKeys());

    TStrovane e;
    const QVariantMap params = e.params();
    EXPECT_EQ(params.size(), 62) << "60 parameters plus the framework's blendMode and opacity";
    for (const StrovaneParam& p : table) {
        EXPECT_EQ(params.value(p.key), p.defaultValue) << p.key.toStdString();
        EXPECT_EQ(e.defaultValue(p.key), p.defaultValue) << p.key.toStdString();
    }
    auto def = [&](const char* key) { return e.defaultValue(QLatin1String(key)); };
    EXPECT_EQ(def("stroke_type"), QVariant(QStringLiteral("e626558c-77dc-4b33-b795-ca2642b2ed21")));
    EXPECT_EQ(def("canvas_type"), QVariant(QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613")));
    EXPECT_EQ(def("stroke_brush_size"), QVariant(0.5f));
    EXPECT_EQ(def("stroke_thickness"), QVariant(0.5f));
    EXPECT_EQ(def("reveal_size"), QVariant(1.0f));
    EXPECT_EQ(def("reveal_center"), QVariant(QPointF(0.5, 0.5)));
    EXPECT_EQ(def("density_level"), QVariant(1));
    EXPECT_EQ(def("bg_canvas_texture_dir"), QVariant(QPointF(1, 0)));
    EXPECT_EQ(def("bg_type"), QVariant(false));
    EXPECT_EQ(def("bg_canvas_texture_color"), QVariant(QColor(255, 255, 255, 255)));
    EXPECT_EQ(def("vignette_amount"), QVariant(1.0f));
    EXPECT_EQ(def("vignette_transition"), QVariant(1.0f));
    EXPECT_EQ(def("vignette_color"), QVariant(QColor(0, 0, 0, 255)));
    EXPECT_EQ(def("hsl_lum_magenta"), QVariant(0.0f));
    EXPECT_EQ(e.stateData().value(QStringLiteral("showPainting")), QVariant(true));
    EXPECT_EQ(e.stateData().value(QStringLiteral("lowResolutionMode")), QVariant(false));
    EXPECT_EQ(e.className(), QStringLiteral("TStrovane"));
    EXPECT_EQ(e.version().toString(), QStringLiteral("2.0"));
}

TEST(StrovaneParams, MetaObjectDeclaresPropertiesSignalsAndSlotsInTableOrder)
{
    const QMetaObject& mo = TStrovane::staticMetaObject;
    QStringList keys = expectedKeys();
    keys << QStringLiteral("showPainting") << QStringLiteral("lowResolutionMode");
    ASSERT_EQ(mo.propertyCount() - mo.propertyOffset(), keys.size());

    QStringList signalNames, slotNames;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        const QMetaMethod m = mo.method(i);
        if (m.methodType() == QMetaMethod::Signal)
            signalNames << QString::fromLatin1(m.name());
        else if (m.methodType() == QMetaMethod::Slot)
            slotNames << QString::fromLatin1(m.name());
    }
    ASSERT_EQ(signalNames.size(), keys.size());
    ASSERT_EQ(slotNames.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        const QMetaProperty p = mo.property(mo.propertyOffset() + i);
        const QString key = keys[i];
        const bool viewSwitch = i >= 60;
        const QString setter = viewSwitch ? QStringLiteral("set") + key.left(1).toUpper() + key.mid(1)
                                          : QStringLiteral("set") + key;
        EXPECT_EQ(QLatin1String(p.name()), key);
        EXPECT_TRUE(p.isWritable() && p.isStored() && p.isScriptable() && p.isDesignable());
        EXPECT_EQ(signalNames[i], key + QStringLiteral("Changed"));
        EXPECT_EQ(p.notifySignalIndex(), mo.indexOfSignal(QMetaObject::normalizedSignature(
                                             qPrintable(key + "Changed(" + p.typeName() + ")"))));
        EXPECT_EQ(slotNames[i], setter);
        const QMetaMethod signal = p.notifySignal();
        ASSERT_EQ(signal.parameterCount(), 1);
        EXPECT_EQ(signal.parameterNames().at(0), viewSwitch ? key.toLatin1() : QByteArray("value"));
    }
    EXPECT_STREQ(mo.property(mo.indexOfProperty("reveal_center")).typeName(), "QPointF");
    EXPECT_STREQ(mo.property(mo.indexOfProperty("vignette_color")).typeName(), "QColor");
    EXPECT_STREQ(mo.property(mo.indexOfProperty("density_level")).typeName(), "int");
}

TEST(StrovaneParams, WritesEmitOnlyOnChangeAndAskForAPreview)
{
    TStrovane e;
    QSignalSpy size(&e, &TStrovane::stroke_brush_sizeChanged), type(&e, &TStrovane::stroke_typeChanged),
        colour(&e, &TStrovane::vignette_colorChanged), modified(&e, &TEBase::paramsModified);

    e.setstroke_brush_size(0.5f + 1e-9f); // fuzzy-equal float
    e.setreveal_center(QPointF(0.5, 0.5 + 1e-10));
    e.setstroke_type(e.stroke_type());
    e.setvignette_color(QColor(0, 0, 0, 255));
    EXPECT_EQ(size.count() + type.count() + colour.count() + modified.count(), 0);

    e.setstroke_brush_size(0.8f);
    e.setstroke_type(QStringLiteral("83fc382d-ef61-47a5-9ebc-da13fe1d00fe"));
    e.setvignette_color(QColor(0, 0, 0, 254));
    e.setdensity_level(2);
    e.setbg_type(true);
    ASSERT_EQ(size.count(), 1);
    EXPECT_EQ(size.at(0).at(0).toFloat(), 0.8f);
    EXPECT_EQ(type.count(), 1);
    EXPECT_EQ(colour.count(), 1);
    EXPECT_EQ(modified.count(), 5);
    EXPECT_EQ(e.density_level(), 2);
    EXPECT_TRUE(e.bg_type());
    EXPECT_EQ(e.params().value(QStringLiteral("stroke_brush_size")), QVariant(0.8f));

    // Notifications off: stored, silent.
    e.setNotificationEnabled(false);
    e.setstroke_brush_size(0.3f);
    EXPECT_EQ(size.count(), 1);
    EXPECT_EQ(modified.count(), 5);
    EXPECT_EQ(e.stroke_brush_size(), 0.3f);
}

TEST(StrovaneParams, ViewSwitchesSignalWithoutPreview)
{
    TStrovane e;
    QSignalSpy show(&e, &TStrovane::showPaintingChanged), low(&e, &TStrovane::lowResolutionModeChanged),
        modified(&e, &TEBase::paramsModified);
    e.setShowPainting(true);
    e.setLowResolutionMode(false);
    EXPECT_EQ(show.count() + low.count(), 0);
    e.setShowPainting(false);
    e.setLowResolutionMode(true);
    EXPECT_EQ(show.count(), 1);
    EXPECT_EQ(show.at(0).at(0).toBool(), false);
    EXPECT_EQ(low.count(), 1);
    EXPECT_EQ(modified.count(), 0);
    EXPECT_FALSE(e.showPainting());
    EXPECT_TRUE(e.lowResolutionMode());
    EXPECT_FALSE(e.getPreset().value(QStringLiteral("params")).toMap().contains(QStringLiteral("showPainting")));
}

TEST(StrovaneParams, ReadsConvertStoredValuesAndZeroTheRest)
{
    TStrovane e;
    QVariantMap state = e.stateData();
    QVariantMap params = state.value(QStringLiteral("params")).toMap();
    params.insert(QStringLiteral("stroke_brush_size"), QStringLiteral("0.25"));
    params.insert(QStringLiteral("density_level"), 2.0);
    params.insert(QStringLiteral("reveal_center"), QVariantList{0.1, 0.2});
    params.insert(QStringLiteral("vignette_color"), QStringLiteral("#10203040"));
    params.insert(QStringLiteral("stroke_type"), QVariantList{1, 2});
    params.insert(QStringLiteral("vignette_center"), QStringLiteral("left"));
    state.insert(QStringLiteral("params"), params);
    state.remove(QStringLiteral("showPainting"));
    e.setStateData(state);
    EXPECT_EQ(e.stroke_brush_size(), 0.25f);
    EXPECT_EQ(e.density_level(), 2);
    EXPECT_EQ(e.reveal_center(), QPointF(0.1, 0.2));
    EXPECT_EQ(e.vignette_color(), QColor(0x10, 0x20, 0x30, 0x40));
    EXPECT_EQ(e.stroke_type(), QString());
    EXPECT_EQ(e.vignette_center(), QPointF());
    EXPECT_FALSE(e.showPainting());
}

TEST(StrovaneParams, StageColumnsDescribeTheWorkerLists)
{
    QVector<QString> basicSlots(37), paintingSlots(21);
    int levelKeys = 0;
    for (const StrovaneParam& p : strovaneParams()) {
        const StageSpec& s = p.stage;
        if (s.basicPos >= 0) {
            ASSERT_LT(s.basicPos, basicSlots.size());
            EXPECT_TRUE(basicSlots[s.basicPos].isEmpty());
            basicSlots[s.basicPos] = QLatin1String(s.key);
        }
        if (s.paintingPos >= 0) {
            paintingSlots[s.paintingPos] = QLatin1String(s.key);
            if (s.key2)
                paintingSlots[s.paintingPos + 1] = QLatin1String(s.key2);
        }
        levelKeys += s.conv == StageConv::Level;
        if (p.key == QLatin1String("stroke_thickness")) {
            EXPECT_EQ(s.conv, StageConv::None);
        }
    }
    const QStringList basic = basicSlots.toList(), painting = paintingSlots.toList();
    EXPECT_EQ(levelKeys, 1);
    EXPECT_EQ(basic.mid(0, 4), (QStringList{"stroke.lightness", "stroke.contrast", "stroke.shadow", "stroke.highlight"}));
    EXPECT_EQ(basic[4], QStringLiteral("hsl.hue.all"));
    EXPECT_EQ(basic[30], QStringLiteral("hsl.lum.magenta"));
    EXPECT_EQ(basic.mid(31), (QStringList{"vignette.center", "vignette.amount", "vignette.roundness",
                                          "vignette.midpoint", "vignette.transition", "vignette.color"}));
    EXPECT_EQ(painting,
              (QStringList{"stroke.sets", "density.level", "stroke.abstraction", "stroke.norm", "stroke.transparent",
                           "stroke.lightness", "stroke.size", "stroke.length.scale", "stroke.width.scale",
                           "stroke.rotation", "stroke.rotation.jitter", "stroke.color.jitter", "stroke.balance",
                           "reveal.size", "reveal.spread", "reveal.center.x", "reveal.center.y",
                           "bg.canvas.texture.color", "bg.type", "bg.canvas.texture.xdir", "bg.canvas.texture.ydir"}));
}

TEST(StrovaneParams, UiColumnsGiveEveryControlItsLabelPanelAndRange)
{
    QMap<QString, QStringList> panels;
    for (const StrovaneParam& p : strovaneParams()) {
        const bool number = p.type == TParamType::Float || p.type == TParamType::Int;
        EXPECT_EQ(p.ui.ranged, number) << p.key.toStdString() << ": numbers have a range, other types none";
        if (p.ui.ranged) {
            EXPECT_LT(p.ui.min, p.ui.max) << p.key.toStdString();
            QString why;
            EXPECT_TRUE(inRange(p, p.defaultValue, &why)) << p.key.toStdString() << ": the default lies in the range";
            EXPECT_FALSE(inRange(p, p.ui.max + 0.001, &why));
            EXPECT_EQ(why, QStringLiteral("%1 must lie between %2 and %3").arg(p.key).arg(p.ui.min).arg(p.ui.max));
        }
        EXPECT_STRNE(p.ui.label, "") << p.key.toStdString();
        panels[QLatin1String(p.ui.group)] << p.key;
    }
    EXPECT_EQ(panels.value("COLOR").size(), 27);
    EXPECT_EQ(panels.value(""), QStringList{"stroke_thickness"}) << "the one parameter without a control";
    EXPECT_TRUE(panels.value("TEXTURE").contains("canvas_type"));
    EXPECT_TRUE(panels.value("LIGHTING").contains("bg_canvas_texture_dir"));
    const StrovaneParam* width = strovaneParam(QStringLiteral("stroke_width"));
    ASSERT_TRUE(width);
    EXPECT_STREQ(width->ui.label, "Stroke Width");
    EXPECT_EQ(width->ui.min, -1.0);
    EXPECT_STREQ(strovaneParam(QStringLiteral("hsl_lum_aqua"))->ui.label, "Lightness (aqua)");
    EXPECT_EQ(strovaneParam(QStringLiteral("no_such_key")), nullptr);
}
