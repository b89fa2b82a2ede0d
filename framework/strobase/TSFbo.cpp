#include "TSFbo.h"

#include "TGL.h"
#include "TGLWorkerThread.h"

#include <QDebug>
#include <QOpenGLContext>

#include <opencv2/imgproc.hpp>

#include <algorithm>

struct TSFbo::Data {
    QSize size;
    GLenum format = 0;
    GLuint texture = 0;
    GLuint fbo = 0;
    quint32 uid = 0;
    float scale = 1.0f;
    // Framebuffers are not shared between contexts: this one's made it.
    QOpenGLContext* context = nullptr;

    ~Data() { TGLWorkerThread::deleteGLObjects(texture, fbo, context); }
};

TSFbo::TSFbo(const QSize& size, GLenum internalFormat)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!f || size.width() < 1 || size.height() < 1)
        return;
    d = std::make_shared<Data>();
    d->size = size;
    d->format = internalFormat;
    d->context = QOpenGLContext::currentContext();
    // Making an image must not disturb the textures a pass has bound.
    GLint boundTexture = 0, boundFramebuffer = 0;
    f->glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    f->glGetIntegerv(GL_FRAMEBUFFER_BINDING, &boundFramebuffer);
    f->glGenTextures(1, &d->texture);
    f->glBindTexture(GL_TEXTURE_2D, d->texture);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    f->glTexImage2D(GL_TEXTURE_2D, 0, GLint(internalFormat), size.width(), size.height(), 0, GL_RGBA,
                    GL_UNSIGNED_BYTE, nullptr);
    f->glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    f->glGenFramebuffers(1, &d->fbo);
    f->glBindFramebuffer(GL_FRAMEBUFFER, d->fbo);
    f->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, d->texture, 0);
    if (f->glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        qWarning() << "TSFbo: incomplete framebuffer" << size << Qt::hex << internalFormat;
    f->glBindFramebuffer(GL_FRAMEBUFFER, GLuint(boundFramebuffer));
}

QSize TSFbo::size() const
{
    return d ? d->size : QSize();
}

GLenum TSFbo::internalFormat() const
{
    return d ? d->format : 0;
}

GLuint TSFbo::texture() const
{
    return d ? d->texture : 0;
}

GLuint TSFbo::framebuffer() const
{
    return d ? d->fbo : 0;
}

quint32 TSFbo::uid() const
{
    return d ? d->uid : 0;
}

void TSFbo::setUid(quint32 uid)
{
    if (d)
        d->uid = uid;
}

float TSFbo::scale() const
{
    return d ? d->scale : 1.0f;
}

void TSFbo::setScale(float scale)
{
    if (d)
        d->scale = scale;
}

void TSFbo::bind() const
{
    if (QOpenGLFunctions_3_3_Core* f = TGL::funcs())
        f->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer());
}

void TSFbo::release() const
{
    if (QOpenGLFunctions_3_3_Core* f = TGL::funcs())
        f->glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

static bool glTypeOf(int depth, GLenum* type)
{
    switch (depth) {
    case CV_8U: *type = GL_UNSIGNED_BYTE; return true;
    case CV_16U: *type = GL_UNSIGNED_SHORT; return true;
    case CV_32F: *type = GL_FLOAT; return true;
    default: return false;
    }
}

void TSFbo::upload(const cv::Mat& image)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    GLenum type = 0;
    if (!f || !d || image.cols != d->size.width() || image.rows != d->size.height() || !glTypeOf(image.depth(), &type))
        return;
    const GLenum format = image.channels() == 4 ? GL_BGRA : image.channels() == 3 ? GL_BGR : GL_RED;
    cv::Mat contiguous = image.isContinuous() ? image : image.clone();
    GLint boundTexture = 0;
    f->glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    f->glBindTexture(GL_TEXTURE_2D, d->texture);
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    f->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.cols, image.rows, format, type, contiguous.data);
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    f->glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
}

cv::Mat TSFbo::dataToMat(int cvType, bool topRowFirst, bool bgrOrder) const
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    GLenum type = 0;
    const int channels = CV_MAT_CN(cvType);
    if (!f || !d || !glTypeOf(CV_MAT_DEPTH(cvType), &type) || (channels != 3 && channels != 4))
        return cv::Mat();
    cv::Mat result(d->size.height(), d->size.width(), cvType);
    const GLenum format = channels == 4 ? (bgrOrder ? GL_BGRA : GL_RGBA) : (bgrOrder ? GL_BGR : GL_RGB);
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, d->fbo);
    f->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // In bands: a driver that converts the format on the CPU does so
    // through a buffer of the rows asked for (at 24 megapixels, hundreds of
    // megabytes in one go).
    constexpr int kBandRows = 256;
    for (int y = 0; y < result.rows; y += kBandRows)
        f->glReadPixels(0, y, result.cols, std::min(kBandRows, result.rows - y), format, type, result.ptr(y));
    f->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (!topRowFirst)
        cv::flip(result, result, 0);
    return result;
}

void TSFbo::blitFramebuffer(const TSFbo& target, const TSFbo& source, GLbitfield mask, GLenum filter)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!f || target.isEmpty() || source.isEmpty())
        return;
    f->glBindFramebuffer(GL_READ_FRAMEBUFFER, source.framebuffer());
    f->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer());
    f->glBlitFramebuffer(0, 0, source.width(), source.height(), 0, 0, target.width(), target.height(), mask, filter);
    f->glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
