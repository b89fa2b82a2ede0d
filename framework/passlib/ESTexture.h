#pragma once

#include "passlib_global.h"

#include <QString>
#include <TImageIO.h>
#include <qopengl.h>

#include <memory>

// A texture loaded from a file. Copies share it; the GL texture goes with
// the last copy. An empty one reads id 0 and size 0 x 0.
class PASSLIB_EXPORT ESTexture {
public:
    ESTexture() = default;
    ESTexture(GLuint textureId, int width, int height);

    GLuint textureId() const { return d ? d->id : 0; }
    int width() const { return d ? d->width : 0; }
    int height() const { return d ? d->height : 0; }

private:
    struct Data {
        Data(GLuint textureId, int w, int h)
            : id(textureId)
            , width(w)
            , height(h)
        {
        }
        Data(const Data&) = delete;
        Data& operator=(const Data&) = delete;
        ~Data();
        GLuint id;
        int width;
        int height;
    };
    std::shared_ptr<Data> d;
};

namespace mygl::file {

// Reads an image file into an RGBA8 texture (linear filtering, the given wrap
// mode). An unreadable file gives an empty texture.
// Refused (an empty texture) when a side exceeds maxSide.
PASSLIB_EXPORT ESTexture load(const QString& path, GLenum wrapMode, int maxSide = TImageIO::kMaxTextureSide);

} // namespace mygl::file
