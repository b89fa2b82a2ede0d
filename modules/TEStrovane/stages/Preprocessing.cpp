#include "../TStrovaneWorker.h"
#include "StageHelpers.h"
#include "../passes/DiffGaussPass.h"
#include "../passes/GaussPass.h"
#include "../passes/SepGaussPass.h"

#include <QVector2D>

// The flow field (tangent of the image structure, from the smoothed
// structure tensor) and the line image (difference of Gaussians of a
// flow-guided bilateral smoothing in Lab).
bool TStrovaneWorker::preprocessing(const TSFbo& scaledInput, TSFbo& flowField, TSFbo& lineImage)
{
    const QSize size = scaledInput.size();
    const QVector2D imageSize(float(size.width()), float(size.height()));
    TSFbo t0(size, GL_RGBA16F), t1(size, GL_RGBA16F), t2(size, GL_RGBA16F);

    if (RenderPass* sst = usePass("Sst")) {
        bindImage(sst, "tex_img", scaledInput, 0);
        setUniform(sst, "imgSize", imageSize);
        drawInto(sst, t0);
    }
    // The tensor varies slowly once smoothed: it is smoothed at half size,
    // with the three rounds' kernel taken at every second weight, for an
    // eighth of the reads. Each half-size texel is the mean of its 2 x 2
    // block (one bilinear read at the block's corner).
    const QSize half((size.width() + 1) / 2, (size.height() + 1) / 2);
    TSFbo h0(half, GL_RGBA16F), h1(half, GL_RGBA16F);
    if (RenderPass* shrink = usePass("RenderTexture")) {
        bindImage(shrink, "tex_img", t0, 0);
        setUniform(shrink, "offset", QVector2D(0, 0));
        setUniform(shrink, "scale", QVector2D(2.0f * half.width() / size.width(), 2.0f * half.height() / size.height()));
        drawInto(shrink, h0);
    }
    if (auto* gauss = static_cast<GaussPass*>(usePass("Gauss"))) {
        gauss->draw({h0.texture(), half, true, GaussPass::kMaxRounds, 2}, h1);
        gauss->draw({h1.texture(), half, false, GaussPass::kMaxRounds, 2}, h0);
    }
    if (RenderPass* tfm = usePass("Tfm")) {
        bindImage(tfm, "img", h0, 0);
        drawInto(tfm, flowField);
    }
    if (RenderPass* lab = usePass("RGB2Lab")) {
        bindImage(lab, "tex_img", scaledInput, 0);
        drawInto(lab, t0);
    }
    if (RenderPass* bilateral = usePass("FlowBilateral")) {
        bindImage(bilateral, "tfm", flowField, 0);
        setUniform(bilateral, "img_size", QVector2D(float(flowField.width()), float(flowField.height())));
        setUniform(bilateral, "sigma_d", 3.0f);
        setUniform(bilateral, "sigma_r", 0.0425f);
        bindImage(bilateral, "img", t0, 1);
        setUniform(bilateral, "pass", 0);
        drawInto(bilateral, t1);
        bindImage(bilateral, "img", t1, 1);
        setUniform(bilateral, "pass", 1);
        drawInto(bilateral, t0);
    }
    // Both blurs of the lightness at once, axis by axis, then their
    // difference.
    if (auto* blur = static_cast<SepGaussPass*>(usePass("SepGauss"))) {
        blur->draw({t0.texture(), size, false, false, 1.0f, 1.6f}, t1);
        blur->draw({t1.texture(), size, true, true, 1.0f, 1.6f}, t2);
    }
    if (auto* dog = static_cast<DiffGaussPass*>(usePass("DiffGauss")))
        dog->draw({t2.texture()}, lineImage);
    return true;
}
