#include "../TStrovaneWorker.h"
#include "../StrovaneLog.h"
#include "StageHelpers.h"

#include <QVector2D>

// The flow field (tangent of the image structure, from the smoothed
// structure tensor) and the line image (difference of Gaussians of a
// flow-guided bilateral smoothing in Lab).
bool TStrovaneWorker::preprocessing(const TSFbo& scaledInput, TSFbo& flowField, TSFbo& lineImage)
{
    const QSize size = scaledInput.size();
    const QVector2D imageSize(float(size.width()), float(size.height()));
    TSFbo t0(size, GL_RGBA16F), t1(size, GL_RGBA16F), t2(size, GL_RGBA16F), t3(size, GL_RGBA16F);

    if (RenderPass* sst = usePass("Sst")) {
        bindImage(sst, "tex_img", scaledInput, 0);
        setUniform(sst, "imgSize", imageSize);
        drawInto(sst, t0);
    }
    if (RenderPass* gauss = usePass("Gauss")) {
        setUniform(gauss, "imgSize", imageSize);
        for (int round = 0; round < 3; ++round) {
            bindImage(gauss, "tex_img", t0, 0);
            setUniform(gauss, "pass", 0.0f);
            if (round == 1) {
                // One 15-tap pass, the yardstick of the adjustment's cost.
                StageTimer timer("gauss-pass");
                drawInto(gauss, flowField);
            } else {
                drawInto(gauss, flowField);
            }
            bindImage(gauss, "tex_img", flowField, 0);
            setUniform(gauss, "pass", 1.0f);
            drawInto(gauss, t0);
        }
    }
    if (RenderPass* tfm = usePass("Tfm")) {
        bindImage(tfm, "img", t0, 0);
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
    if (RenderPass* blur = usePass("SepGauss")) {
        setUniform(blur, "imageSize", imageSize);
        setUniform(blur, "radius", 1.0f);
        setUniform(blur, "isVertical", 0.0f);
        bindImage(blur, "img", t0, 0);
        drawInto(blur, t1);
        setUniform(blur, "isVertical", 1.0f);
        bindImage(blur, "img", t1, 0);
        drawInto(blur, t2);
        setUniform(blur, "radius", 1.6f);
        setUniform(blur, "isVertical", 0.0f);
        bindImage(blur, "img", t0, 0);
        drawInto(blur, lineImage);
        setUniform(blur, "isVertical", 1.0f);
        bindImage(blur, "img", lineImage, 0);
        drawInto(blur, t3);
    }
    if (RenderPass* dog = usePass("DiffGauss")) {
        bindImage(dog, "imgE", t2, 0);
        bindImage(dog, "imgR", t3, 1);
        drawInto(dog, lineImage);
    }
    return true;
}
