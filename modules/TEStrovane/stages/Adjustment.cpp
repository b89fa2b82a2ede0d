#include "../TStrovaneWorker.h"
#include "../StrovaneLog.h"
#include "StageHelpers.h"

#include <FastBilateralFilter.h>
#include <TGL.h>

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
        m_bilateral->proc(input, input, scratch, m_regions.adjust);
    }
    qDebug() << "bilateral finish:";

    RenderPass* pass = usePass("BasicAdjust");
    bindImage(pass, "src", input, 1);
    bindImage(pass, "src_s", scratch, 0);
    setUniform(pass, "exposure", m_values.stroke_lightness * 0.5f);
    setUniform(pass, "contrast", m_values.stroke_contrast);
    setUniform(pass, "shadow", m_values.stroke_shadow);
    setUniform(pass, "highlight", -m_values.stroke_highlight);
    const TGL::Scissor confined(m_regions.adjust);
    drawInto(pass, result);
    return true;
}

// Hue, saturation and lightness per colour range (red, orange, yellow,
// green, aqua, blue, purple, magenta) and overall.
bool TStrovaneWorker::hslAdjust(const TSFbo& input, TSFbo& result)
{
    const StrovaneValues& v = m_values;
#define STROVANE_HSL_ROW(comp)                                                                                        \
    {                                                                                                                 \
        v.hsl_##comp##_all, v.hsl_##comp##_red, v.hsl_##comp##_orange, v.hsl_##comp##_yellow, v.hsl_##comp##_green, \
            v.hsl_##comp##_aqua, v.hsl_##comp##_blue, v.hsl_##comp##_purple, v.hsl_##comp##_magenta                  \
    }
    // Per range, in the order all, red, orange, yellow, green, aqua, blue,
    // purple, magenta.
    const float hue[9] = STROVANE_HSL_ROW(hue), sat[9] = STROVANE_HSL_ROW(sat), lum[9] = STROVANE_HSL_ROW(lum);
#undef STROVANE_HSL_ROW
    auto clamped = [](float x) { return std::clamp(x, -1.0f, 1.0f); };
    // Hue answers gently near zero and fully at the ends.
    auto gentle = [](float x) { return x > 0 ? x * x : -x * x; };
    auto row = [&](int range) {
        return QVector4D(gentle(clamped(hue[range])), clamped(sat[range]), clamped(lum[range]), 0.0f);
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
    const float roundness = m_values.vignette_roundness;
    const float base = 2.0f * (1.0f - m_values.vignette_midpoint);
    const float width = 2.0f * m_values.vignette_transition;
    const QPointF centre = m_values.vignette_center;
    const QColor colour = m_values.vignette_color;

    RenderPass* pass = usePass("Vignette");
    bindImage(pass, "inputTexture0", input, 2);
    setUniform(pass, "center", QVector2D(float(centre.x()), float(centre.y())));
    setUniform(pass, "amount", m_values.vignette_amount);
    setUniform(pass, "vpower", 6.0f * (1.0f - roundness) * (1.0f - roundness) + 2.0f);
    setUniform(pass, "amin", base - width - 0.05f);
    setUniform(pass, "amax", base + width + 0.05f);
    setUniform(pass, "selectedColor", QVector4D(float(colour.redF()), float(colour.greenF()), float(colour.blueF()),
                                                float(colour.alphaF())));
    drawInto(pass, result);
    return true;
}
