#include "../TStrovaneWorker.h"
#include "StageHelpers.h"

#include <Strobase.h>

#include <QSet>
#include <QVector2D>

#include <algorithm>
#include <cmath>

// Smears the wet paint along the flow (for a smudge size above 0); path
// lengths are counted in preprocessing pixels, so a preview and the
// full-size output smudge alike.
bool TStrovaneWorker::smudge(const TSFbo& flowField, const TSFbo& painting, TSFbo& result)
{
    const float amount = m_values.stroke_smudgesize;
    RenderPass* lic = usePass("LIC");
    bindImage(lic, "tfm", flowField, 1);
    bindImage(lic, "imnoise", painting, 0);
    setUniform(lic, "imgSize", QVector2D(float(flowField.width()), float(flowField.height())));
    setUniform(lic, "sigma", smudgeSigma(amount));
    drawInto(lic, result);
    return true;
}

// Lays the relief of the canvas (or surface) under the painting, lit from
// the light direction. The canvas file is loaded when another one is chosen.
bool TStrovaneWorker::postProcessing(const TSFbo& input, TSFbo& result)
{
    const QString path = Strobase::tgrcFolder() + QLatin1Char('/')
        + m_values.canvas_type + QStringLiteral(".png");
    if (path != m_canvasPath) {
        m_canvasPath = path;
        m_canvas = mygl::file::load(path, GL_REPEAT);
        if (!m_canvas.textureId()) {
            static QSet<QString> told;
            if (!told.contains(path))
                qWarning().noquote() << QStringLiteral("The canvas %1 cannot be read: the painting has no canvas relief.").arg(path);
            told.insert(path);
        }
    }
    const float m = float(std::max(input.width(), input.height())) / 2048.0f;
    const float strength = m_values.bg_canvas_texture_strength * 0.1f * std::sqrt(m);
    const float scale = float(std::pow(2.0, double(m_values.bg_canvas_texture_scale) * 0.5)) * m;
    const QPointF dir = m_values.bg_canvas_texture_dir;
    const QVector2D light(float(dir.x()) - 0.5f, float(dir.y()) - 0.5f);
    // Without a canvas every gradient is 0 and the painting passes unchanged;
    // a size of one repeat per image keeps the coordinates finite.
    const QVector2D repeat = m_canvas.textureId() ? QVector2D(float(int(m_canvas.width() * scale)),
                                                                float(int(m_canvas.height() * scale)))
                                                   : QVector2D(float(input.width()), float(input.height()));

    RenderPass* pass = usePass("Texturizer");
    bindImage(pass, "tex_img", input, 0, GL_NEAREST, GL_MIRRORED_REPEAT);
    pass->setResource("tex_tex", QStringLiteral("2D"), m_canvas.textureId(), 1, GL_LINEAR, GL_REPEAT);
    setUniform(pass, "imgSize", QVector2D(float(input.width()), float(input.height())));
    setUniform(pass, "lightdir", light);
    setUniform(pass, "texSize", QVector2D(std::max(repeat.x(), 1.0f), std::max(repeat.y(), 1.0f)));
    setUniform(pass, "texStength", strength);
    drawInto(pass, result);
    return true;
}
