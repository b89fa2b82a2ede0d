#include "TEffectWorker.h"

#include "GLCache.h"
#include "GLProg.h"
#include "TGL.h"

#include <QVector2D>

#include <opencv2/imgproc.hpp>

#include <tuple>

TEffectWorker::TEffectWorker(const QString& name, unsigned effectId, unsigned flags)
    : TEBaseWorker(name, effectId, flags)
{
}

TEffectWorker::~TEffectWorker()
{
    GLCache::releaseOwner(GLCache::Owner(this));
}

TSFbo TEffectWorker::inputFbo(int decimation, bool nearest, GLenum internalFormat)
{
    const TSMat& input = request().input;
    if (input.isEmpty())
        return TSFbo();
    decimation = std::max(decimation, 1);
    const InputKey key{input.uid(), decimation, internalFormat, nearest};
    const auto found = m_inputs.find(key);
    if (found != m_inputs.end())
        return found->second;
    // A new image makes every earlier upload useless.
    for (auto it = m_inputs.begin(); it != m_inputs.end();)
        it = it->first.uid != input.uid() ? m_inputs.erase(it) : std::next(it);

    // Another effect's worker may have uploaded the same image already (at
    // start the picture shown and the painting both want the photograph).
    const QString shared = QStringLiteral("input %1 %2 %3").arg(decimation).arg(internalFormat).arg(nearest);
    TSFbo fbo = GLCache::get(shared, input.uid(), GLCache::Owner(this));
    if (fbo.isEmpty()) {
        cv::Mat image = input.mat();
        if (image.channels() == 1)
            cv::cvtColor(image, image, cv::COLOR_GRAY2BGR);
        if (decimation > 1) {
            const cv::Size size(std::max(1, image.cols / decimation), std::max(1, image.rows / decimation));
            cv::Mat reduced;
            cv::resize(image, reduced, size, 0, 0, nearest ? cv::INTER_NEAREST : cv::INTER_AREA);
            image = reduced;
        }
        fbo = TSFbo(QSize(image.cols, image.rows), internalFormat);
        fbo.upload(image);
        fbo.setUid(input.uid());
        fbo.setScale(1.0f / float(decimation));
        GLCache::set(shared, fbo, GLCache::FBOCache, GLCache::Owner(this));
    }
    m_inputs[key] = fbo;
    return fbo;
}

void TEffectWorker::blockingProcProgress(int percent, const QString& text)
{
    if (request().reporter)
        request().reporter->progress(percent, text);
}

void TEffectWorker::drawPreview(const TSFbo& image)
{
    if (request().reporter)
        request().reporter->preview(image);
}

bool TEffectWorker::superseded() const
{
    return request().reporter && request().reporter->superseded();
}

void TEffectWorker::postProc(TSFbo& output)
{
    blendOverInput(output, false);
}

void TEffectWorker::blendOverInput(TSFbo& output, bool withMask)
{
    const QVariantMap params = stateData().value(QStringLiteral("params")).toMap();
    const float opacity = params.value(QStringLiteral("opacity"), 1.0f).toFloat();
    const int blendMode = params.value(QStringLiteral("blendMode")).toInt();
    const QImage& mask = request().mask;
    const int maskType = withMask && !mask.isNull() ? request().maskType : 0;
    if (output.isEmpty() || (opacity >= 1.0f && blendMode == 0 && maskType == 0))
        return;

    const TSFbo input = inputFbo(decimation(), false, output.internalFormat());
    if (input.isEmpty())
        return;
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!m_blend)
        m_blend = std::make_unique<GLProg>(QStringLiteral(":/strobase/glshaders/default.vert"),
                                           QStringLiteral(":/strobase/glshaders/blend.frag"));
    GLuint maskTexture = 0;
    if (maskType != 0) {
        const QImage m = mask.convertToFormat(QImage::Format_Grayscale8);
        f->glGenTextures(1, &maskTexture);
        f->glBindTexture(GL_TEXTURE_2D, maskTexture);
        f->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        f->glPixelStorei(GL_UNPACK_ROW_LENGTH, m.bytesPerLine());
        f->glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, m.width(), m.height(), 0, GL_RED, GL_UNSIGNED_BYTE, m.constBits());
        f->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        f->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    TSFbo blended(output.size(), output.internalFormat());
    blended.setUid(output.uid());
    blended.setScale(output.scale());
    blended.bind();
    m_blend->setTexture("inputImage", input.texture(), 0);
    m_blend->setTexture("effectImage", output.texture(), 1);
    m_blend->setTexture("maskImage", maskTexture, 2);
    m_blend->setUniform("blendMode", blendMode);
    m_blend->setUniform("opacity", opacity);
    m_blend->setUniform("maskType", maskType);
    m_blend->drawQuad(blended.width(), blended.height());
    blended.release();
    if (maskTexture)
        f->glDeleteTextures(1, &maskTexture);
    output = blended;
}

TEffectMaskWorker::TEffectMaskWorker(const QString& name, unsigned effectId, unsigned flags)
    : TEffectWorker(name, effectId, flags)
{
}

void TEffectMaskWorker::postProc(TSFbo& output)
{
    blendOverInput(output, true);
}
