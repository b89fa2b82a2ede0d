#pragma once

// The painting parameters, declared once. Each row:
//   X(key, C++ type, default, stage, ui)
// key is the state/preset key, the Qt property name, and gives the slot
// set<key> and the signal <key>Changed. stage says how the worker sees the
// value (see StageSpec); ui gives the control's label, its panel (group) and,
// for numbers, the range that sliders and the command line keep to. Rows are
// in property order.
//
// Everything else (properties, defaults, stage keys, the worker's key lists)
// is derived from this table; the Qt meta-object compiler expands it too.

#define STROVANE_HSL_RANGES(X, comp, Comp, firstB)                                                                                \
    X(hsl_##comp##_all, float, 0.0f, stage("hsl." #comp ".all", (firstB) + 0, -1), ui(Comp " (all colours)", "COLOR", -1, 1))     \
    X(hsl_##comp##_red, float, 0.0f, stage("hsl." #comp ".red", (firstB) + 1, -1), ui(Comp " (red)", "COLOR", -1, 1))             \
    X(hsl_##comp##_orange, float, 0.0f, stage("hsl." #comp ".orange", (firstB) + 2, -1), ui(Comp " (orange)", "COLOR", -1, 1))    \
    X(hsl_##comp##_yellow, float, 0.0f, stage("hsl." #comp ".yellow", (firstB) + 3, -1), ui(Comp " (yellow)", "COLOR", -1, 1))    \
    X(hsl_##comp##_green, float, 0.0f, stage("hsl." #comp ".green", (firstB) + 4, -1), ui(Comp " (green)", "COLOR", -1, 1))       \
    X(hsl_##comp##_aqua, float, 0.0f, stage("hsl." #comp ".aqua", (firstB) + 5, -1), ui(Comp " (aqua)", "COLOR", -1, 1))          \
    X(hsl_##comp##_blue, float, 0.0f, stage("hsl." #comp ".blue", (firstB) + 6, -1), ui(Comp " (blue)", "COLOR", -1, 1))          \
    X(hsl_##comp##_purple, float, 0.0f, stage("hsl." #comp ".purple", (firstB) + 7, -1), ui(Comp " (purple)", "COLOR", -1, 1))    \
    X(hsl_##comp##_magenta, float, 0.0f, stage("hsl." #comp ".magenta", (firstB) + 8, -1), ui(Comp " (magenta)", "COLOR", -1, 1))

// stage(key, B, P): B and P are the positions in the basic-adjustment and
// painting key lists (-1: not listed).
#define STROVANE_PARAMS(X)                                                                                                                        \
    X(stroke_type, QString, QStringLiteral("e626558c-77dc-4b33-b795-ca2642b2ed21"), stage("stroke.sets", -1, 0), ui("Brush", "STROKE"))           \
    X(stroke_brush_size, float, 0.5f, stage("stroke.size", -1, 6), ui("Brush Size", "STROKE", 0, 1))                                              \
    X(stroke_paint_volume, float, 0.0f, stage("stroke.norm", -1, 3), ui("Paint Volume", "STROKE", 0, 1))                                          \
    X(stroke_paint_opacity, float, 0.5f, stage("stroke.transparent", -1, 4), ui("Paint Opacity", "STROKE", 0, 1))                                 \
    X(stroke_rotation, float, 0.0f, stage("stroke.rotation", -1, 9), ui("Stroke Rotation", "STROKE", 0, 1))                                       \
    X(stroke_length, float, 0.0f, stage("stroke.length.scale", -1, 7), ui("Stroke Length", "STROKE", -1, 1))                                      \
    X(stroke_width, float, 0.0f, stage("stroke.width.scale", -1, 8), ui("Stroke Width", "STROKE", -1, 1))                                         \
    X(stroke_thickness, float, 0.5f, noStage(), ui("Stroke Thickness", "", 0, 1))                                                                 \
    X(stroke_abstraction, float, 0.0f, stage("stroke.abstraction", -1, 2), ui("Spill", "STROKE", -1, 1))                                          \
    X(stroke_rotation_jitter, float, 0.0f, stage("stroke.rotation.jitter", -1, 10), ui("Rotation Variation", "STROKE", 0, 1))                     \
    X(stroke_color_jitter, float, 0.0f, stage("stroke.color.jitter", -1, 11), ui("Stroke Color Variation", "STROKE", 0, 1))                       \
    X(stroke_balance, float, 0.0f, balanceStage("stroke.balance", 12), ui("Large Brush Volume", "STROKE", -1, 1))                                 \
    X(stroke_lightness, float, 0.0f, stage("stroke.lightness", 0, 5), ui("Brightness", "LIGHTING", -1, 1))                                        \
    X(stroke_contrast, float, 0.0f, stage("stroke.contrast", 1, -1), ui("Contrast", "LIGHTING", -1, 1))                                           \
    X(stroke_highlight, float, 0.0f, stage("stroke.highlight", 3, -1), ui("Highlight", "LIGHTING", -1, 1))                                        \
    X(stroke_shadow, float, 0.0f, stage("stroke.shadow", 2, -1), ui("Shadow", "LIGHTING", -1, 1))                                                 \
    X(stroke_smudgesize, float, 0.0f, stage("stroke.smugesize", -1, -1), ui("Smudge", "STROKE", 0, 1))                                            \
    STROVANE_HSL_RANGES(X, hue, "Hue", 4)                                                                                                         \
    STROVANE_HSL_RANGES(X, sat, "Saturation", 13)                                                                                                 \
    STROVANE_HSL_RANGES(X, lum, "Lightness", 22)                                                                                                  \
    X(reveal_size, float, 1.0f, stage("reveal.size", -1, 13), ui("Coverage", "STROKE", 0, 1))                                                     \
    X(reveal_spread, float, 0.5f, stage("reveal.spread", -1, 14), ui("Coverage Transition", "STROKE", 0, 1))                                      \
    X(reveal_center, QPointF, (QPointF(0.5, 0.5)), splitStage("reveal.center.x", "reveal.center.y", 15), ui("Coverage Center", "STROKE"))         \
    X(density_level, int, 1, levelStage("density.level", 1), ui("Number of Strokes", "STROKE", 0, 2))                                             \
    X(bg_canvas_texture_strength, float, 0.0f, stage("bg.canvas.texture.strength", -1, -1), ui("Texture Strength", "TEXTURE", 0, 1))              \
    X(bg_canvas_texture_dir, QPointF, (QPointF(1.0, 0.0)),                                                                                        \
      splitStage("bg.canvas.texture.xdir", "bg.canvas.texture.ydir", 19), ui("Light Position", "LIGHTING"))                                       \
    X(bg_canvas_texture_scale, float, 0.0f, stage("bg.canvas.texture.scale", -1, -1), ui("Texture Size", "TEXTURE", -1, 1))                       \
    X(bg_type, bool, false, boolStage("bg.type", 18), ui("Background Type", "TEXTURE"))                                                           \
    X(bg_canvas_texture_color, QColor, (QColor(255, 255, 255, 255)), stage("bg.canvas.texture.color", -1, 17), ui("Background Color", "TEXTURE")) \
    X(canvas_type, QString, QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613"), stage("canvas_type", -1, -1), ui("Canvas", "TEXTURE"))        \
    X(vignette_amount, float, 1.0f, stage("vignette.amount", 32, -1), ui("Vignette Strength", "LIGHTING", 0, 1))                                  \
    X(vignette_center, QPointF, (QPointF(0.5, 0.5)), stage("vignette.center", 31, -1), ui("Vignette Center", "LIGHTING"))                         \
    X(vignette_roundness, float, 1.0f, stage("vignette.roundness", 33, -1), ui("Vignette Roundness", "LIGHTING", 0, 1))                           \
    X(vignette_midpoint, float, 0.0f, stage("vignette.midpoint", 34, -1), ui("Vignette", "LIGHTING", 0, 1))                                       \
    X(vignette_transition, float, 1.0f, stage("vignette.transition", 35, -1), ui("Vignette Transition", "LIGHTING", 0, 1))                        \
    X(vignette_color, QColor, (QColor(0, 0, 0, 255)), stage("vignette.color", 36, -1), ui("Vignette Color", "LIGHTING"))

// How a parameter reaches the worker's stage-parameter map.
enum class StageConv {
    None,        // not read by any stage
    Same,        // the value under the stage key
    Balance,     // (1 - value) x 0.5
    BoolAsFloat, // 0.0 or 1.0
    SplitPoint,  // x and y as doubles under two keys
    Level,       // the density level: stroke-generation key, stored as a float
};

struct StageSpec {
    const char* key;
    const char* key2;
    StageConv conv;
    int basicPos;
    int paintingPos;
};

// What the user interface and the command line show of a parameter.
struct UiSpec {
    const char* label;
    const char* group; // the panel: STROKE, COLOR, LIGHTING, TEXTURE; empty: none
    bool ranged;
    double min;
    double max;
};

constexpr UiSpec ui(const char* label, const char* group) { return {label, group, false, 0.0, 0.0}; }
constexpr UiSpec ui(const char* label, const char* group, double min, double max)
{
    return {label, group, true, min, max};
}

constexpr StageSpec noStage() { return {nullptr, nullptr, StageConv::None, -1, -1}; }
constexpr StageSpec stage(const char* key, int basicPos, int paintingPos)
{
    return {key, nullptr, StageConv::Same, basicPos, paintingPos};
}
constexpr StageSpec balanceStage(const char* key, int paintingPos)
{
    return {key, nullptr, StageConv::Balance, -1, paintingPos};
}
constexpr StageSpec boolStage(const char* key, int paintingPos)
{
    return {key, nullptr, StageConv::BoolAsFloat, -1, paintingPos};
}
constexpr StageSpec splitStage(const char* keyX, const char* keyY, int paintingPos)
{
    return {keyX, keyY, StageConv::SplitPoint, -1, paintingPos};
}
constexpr StageSpec levelStage(const char* key, int paintingPos)
{
    return {key, nullptr, StageConv::Level, -1, paintingPos};
}
