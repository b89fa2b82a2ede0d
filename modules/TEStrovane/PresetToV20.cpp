#include "PresetToV20.h"

#include "Catalogue.h"

#include "StrovaneParams.h"

#include <QColor>
#include <QDebug>
#include <QPointF>

namespace {

// Old presets may name a file ("type03.png"): the name ends at the first dot.
QString lookUpName(const QMap<QString, QString>& table, const QVariant& text)
{
    return table.value(text.toString().section(QLatin1Char('.'), 0, 0));
}

QPointF pointFrom(const QVariantMap& old, const char* keyX, const char* keyY)
{
    return QPointF(old.value(QLatin1String(keyX)).toFloat(), old.value(QLatin1String(keyY)).toFloat());
}

} // namespace

QVariantMap presetToV20(const QVariantMap& old)
{
    QVariantMap p;
    p.insert(QStringLiteral("density_level"), 1);
    p.insert(QStringLiteral("stroke_balance"), 0.0f);
    p.insert(QStringLiteral("stroke_highlight"), 0.0f);
    p.insert(QStringLiteral("stroke_shadow"), 0.0f);
    p.insert(QStringLiteral("vignette_roundness"), 1.0f);
    p.insert(QStringLiteral("vignette_amount"), 1.0);
    p.insert(QStringLiteral("vignette_color"), QColor(0, 0, 0, 255));

    p.insert(QStringLiteral("stroke_type"), lookUpName(brushSetTypes(), old.value(QStringLiteral("stroke.sets"))));

    static const std::pair<const char*, const char*> kCopies[] = {
        {"stroke.size", "stroke_brush_size"},
        {"stroke.norm", "stroke_paint_volume"},
        {"stroke.transparent", "stroke_paint_opacity"},
        {"stroke.lengthscale", "stroke_length"},
        {"stroke.widthscale", "stroke_width"},
        {"stroke.thickness", "stroke_thickness"},
        {"stroke.abstraction", "stroke_abstraction"},
        {"stroke.lightness", "stroke_lightness"},
        {"adjust.contrast", "stroke_contrast"},
        {"stroke.smugesize", "stroke_smudgesize"},
        {"reveal.size", "reveal_size"},
        {"reveal.spread", "reveal_spread"},
        {"bg.canvas.texture.strength", "bg_canvas_texture_strength"},
        {"bg.canvas.texture.scale", "bg_canvas_texture_scale"},
        {"bg.canvas.texture.color", "bg_canvas_texture_color"},
        {"vignette.spread", "vignette_transition"},
    };
    for (const auto& copy : kCopies)
        p.insert(QLatin1String(copy.second), old.value(QLatin1String(copy.first)));
    // The HSL keys kept their names, with dots for underscores.
    for (const StrovaneParam& param : strovaneParams()) {
        if (param.key.startsWith(QLatin1String("hsl_")))
            p.insert(param.key, old.value(QString(param.key).replace(QLatin1Char('_'), QLatin1Char('.'))));
    }

    static const std::pair<const char*, const char*> kCopiesWithZero[] = {
        {"stroke.rotation", "stroke_rotation"},
        {"stroke.rotation.jitter", "stroke_rotation_jitter"},
        {"stroke.color.jitter", "stroke_color_jitter"},
    };
    for (const auto& copy : kCopiesWithZero)
        p.insert(QLatin1String(copy.second), old.value(QLatin1String(copy.first), 0.0));
    p.insert(QStringLiteral("bg_type"), old.value(QStringLiteral("bg.type"), false));

    p.insert(QStringLiteral("reveal_center"), pointFrom(old, "reveal.center.x", "reveal.center.y"));
    p.insert(QStringLiteral("bg_canvas_texture_dir"), pointFrom(old, "bg.canvas.texture.xdir", "bg.canvas.texture.ydir"));
    p.insert(QStringLiteral("vignette_center"), pointFrom(old, "vignette.center.x", "vignette.center.y"));
    p.insert(QStringLiteral("vignette_midpoint"), old.value(QStringLiteral("vignette.size")).toFloat());
    p.insert(QStringLiteral("canvas_type"), lookUpName(canvasCatalogue(), old.value(QStringLiteral("bg.canvas.texture"))));

    p.insert(QStringLiteral("blendMode"), 0);
    p.insert(QStringLiteral("opacity"), 1.0);
    qDebug() << "convertor preseetToV20, called: ";
    return p;
}
