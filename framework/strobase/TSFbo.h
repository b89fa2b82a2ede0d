#pragma once

#include "strobase_global.h"

#include <QMetaType>
#include <QSize>
#include <qopengl.h>

#include <opencv2/core.hpp>

#include <memory>

// A GPU image: a texture with a framebuffer around it. Copies are cheap and
// share the image; its GL objects are deleted when the last copy goes, on
// the GL worker thread if another thread drops it. Row 0 of the texture is
// the top of the image.
class STROBASE_EXPORT TSFbo {
public:
    TSFbo() = default;
    // Allocates on the current context (linear filtering, clamped edges).
    TSFbo(const QSize& size, GLenum internalFormat);

    bool isEmpty() const { return !d; }
    QSize size() const;
    int width() const { return size().width(); }
    int height() const { return size().height(); }
    GLenum internalFormat() const;
    GLuint texture() const;
    GLuint framebuffer() const;

    // Changes only with the image content; set by whoever makes the image.
    quint32 uid() const;
    void setUid(quint32 uid);
    // Size of this image relative to the full-resolution image it stands for.
    float scale() const;
    void setScale(float scale);

    // Binds the framebuffer as the draw target / binds the default one.
    void bind() const;
    void release() const;

    // Fills the texture from an 8-bit, 16-bit or float BGR/BGRA image whose
    // size matches.
    void upload(const cv::Mat& image);
    // Reads the image back. cvType: CV_8UC3/4, CV_16UC3/4 or CV_32FC3/4.
    // topRowFirst: row 0 of the result is the image's top (else bottom);
    // bgrOrder: channels in OpenCV's BGR order (else RGB).
    cv::Mat dataToMat(int cvType, bool topRowFirst = true, bool bgrOrder = false) const;

    static void blitFramebuffer(const TSFbo& target, const TSFbo& source, GLbitfield mask = GL_COLOR_BUFFER_BIT,
                                GLenum filter = GL_LINEAR);

private:
    struct Data;
    std::shared_ptr<Data> d;
};

Q_DECLARE_METATYPE(TSFbo)
