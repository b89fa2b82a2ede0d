#include "../TStrovaneWorker.h"
#include "../StrovaneLog.h"
#include "StageHelpers.h"

#include <FastBilateralFilter.h>

#include <QColor>
#include <QDebug>
#include <QMatrix4x4>
#include <QPointF>
#include <QVector4D>

#include <algorithm>
#include <cmath>

// Lightness, contrast, highlights and shadows on an edge-preserving base
// layer; the fine detail rides along on the luma gain.
bool TStrovaneWorker::basicAdjust(const TSFbo& input, TSFbo& scratch, TSFbo& result)
{
    qDebug() << "bilateral start:";
    const int spatial = int(float(std::max(input.height() * 0.03125, input.width() * 0.03125)));
    qDebug() << "bilateral setup:";
    m_bilateral->setup(input, input, spatial, 0.15f, 1);
    qDebug() << "bilateral proc:";
    {
        StageTimer timer("bilateral");
        m_bilateral->proc(input, input, scratch);
    }
    qDebug() << "bilateral finish:";

    const QVariantMap params = requestParams();
    RenderPass* pass = usePass("BasicAdjust");
    bindImage(pass, "src", input, 1);
    bindImage(pass, "src_s", scratch, 0);
    setUniform(pass, "exposure", params.value(QStringLiteral("stroke_lightness")).toFloat() * 0.5f);
    setUniform(pass, "contrast", params.value(QStringLiteral("stroke_contrast")).toFloat());
    setUniform(pass, "shadow", params.value(QStringLiteral("stroke_shadow")).toFloat());
    setUniform(pass, "highlight", -params.value(QStringLiteral("stroke_highlight")).toFloat());
    drawInto(pass, result);
    return true;
}

// Hue, saturation and lightness per colour range (red, orange, yellow,
// green, aqua, blue, purple, magenta) and overall.
bool TStrovaneWorker::hslAdjust(const TSFbo& input, TSFbo& result)
{
    static const char* const ranges[9] = {"all", "red", "orange", "yellow", "green", "aqua", "blue", "purple", "magenta"};
    const QVariantMap params = requestParams();
    auto value = [&params](const char* component, const char* range) {
        const float v = std::clamp(
            params.value(QStringLiteral("hsl_%1_%2").arg(QLatin1String(component), QLatin1String(range))).toFloat(),
            -1.0f, 1.0f);
        // Hue answers gently near zero and fully at the ends.
        return QLatin1String(component) == QLatin1String("hue") ? (v > 0 ? v * v : -v * v) : v;
    };
    auto row = [&](int range) {
        return QVector4D(value("hue", ranges[range]), value("sat", ranges[range]), value("lum", ranges[range]), 0.0f);
    };
    auto matrix = [&](int first) {
        QMatrix4x4 m;
        for (int i = 0; i < 4; ++i)
            m.setRow(i, row(first + i));
        return m;
    };

    RenderPass* pass = usePass("HSLAdjust");
    pass->preprocess(0);
    bindImage(pass, "textureMap", input, 2);
    setUniform(pass, "hslCoeff1", matrix(1));
    setUniform(pass, "hslCoeff2", matrix(5));
    setUniform(pass, "overallCoeff", row(0));
    drawInto(pass, result);
    return true;
}

// Darkens or tints towards the edges, in a superellipse around the centre.
bool TStrovaneWorker::vignette(const TSFbo& input, TSFbo& result)
{
    const QVariantMap params = requestParams();
    auto number = [&params](const char* key) { return params.value(QLatin1String(key)).toFloat(); };
    const float roundness = number("vignette_roundness");
    const float base = 2.0f * (1.0f - number("vignette_midpoint"));
    const float width = 2.0f * number("vignette_transition");
    const QPointF centre = params.value(QStringLiteral("vignette_center")).toPointF();
    const QColor colour = params.value(QStringLiteral("vignette_color")).value<QColor>();

    RenderPass* pass = usePass("Vignette");
    bindImage(pass, "inputTexture0", input, 2);
    setUniform(pass, "center", QVector2D(float(centre.x()), float(centre.y())));
    setUniform(pass, "amount", number("vignette_amount"));
    setUniform(pass, "vpower", 6.0f * (1.0f - roundness) * (1.0f - roundness) + 2.0f);
    setUniform(pass, "amin", base - width - 0.05f);
    setUniform(pass, "amax", base + width + 0.05f);
    setUniform(pass, "selectedColor", QVector4D(float(colour.redF()), float(colour.greenF()), float(colour.blueF()),
                                                float(colour.alphaF())));
    drawInto(pass, result);
    return true;
}
