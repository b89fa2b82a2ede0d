#include "ESTexture.h"

#include <TGL.h>
#include <TGLWorkerThread.h>

#include <TImageIO.h>

#include <opencv2/imgproc.hpp>

ESTexture::ESTexture(GLuint textureId, int width, int height)
    : d(textureId ? std::make_shared<Data>(textureId, width, height) : nullptr)
{
}

ESTexture::Data::~Data()
{
    TGLWorkerThread::deleteGLObjects(id, 0);
}

namespace mygl::file {

ESTexture load(const QString& path, GLenum wrapMode, int maxSide)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    cv::Mat image;
    QString error;
    if (!f || !TImageIO::loadTexture(path, maxSide, &image, &error))
        return ESTexture();
    if (image.depth() != CV_8U)
        image.convertTo(image, CV_8U, image.depth() == CV_16U ? 1.0 / 257.0 : 255.0);
    switch (image.channels()) {
    case 1: cv::cvtColor(image, image, cv::COLOR_GRAY2RGBA); break;
    case 3: cv::cvtColor(image, image, cv::COLOR_BGR2RGBA); break;
    default: cv::cvtColor(image, image, cv::COLOR_BGRA2RGBA); break;
    }
    GLuint id = 0;
    GLint boundTexture = 0;
    f->glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
    f->glGenTextures(1, &id);
    f->glBindTexture(GL_TEXTURE_2D, id);
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    f->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.cols, image.rows, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data);
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(wrapMode));
    f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(wrapMode));
    f->glBindTexture(GL_TEXTURE_2D, GLuint(boundTexture));
    return ESTexture(id, image.cols, image.rows);
}

} // namespace mygl::file
