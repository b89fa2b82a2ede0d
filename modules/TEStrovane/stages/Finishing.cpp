#include "../TStrovaneWorker.h"
#include "StageHelpers.h"

#include <QVector2D>

// Smears the wet paint along the flow; path lengths are counted in
// preprocessing pixels, so a preview and the full-size output smudge alike.
bool TStrovaneWorker::smudge(const TSFbo& flowField, const TSFbo& painting, TSFbo& result)
{
    const float amount = stageFloat("stroke.smugesize");
    if (!(amount > 0.0f)) {
        TSFbo::blitFramebuffer(result, painting, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        return true;
    }
    RenderPass* lic = usePass("LIC");
    bindImage(lic, "tfm", flowField, 1);
    bindImage(lic, "imnoise", painting, 0);
    setUniform(lic, "imgSize", QVector2D(float(flowField.width()), float(flowField.height())));
    setUniform(lic, "sigma", 1.0f + float(int(9.0f * amount)));
    drawInto(lic, result);
    return true;
}

// The canvas texture is not built yet: the painting is handed on unchanged.
bool TStrovaneWorker::postProcessing(const TSFbo& input, TSFbo& result)
{
    TSFbo::blitFramebuffer(result, input, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}
