#include "GLSamplers.h"

#include "TGL.h"

#include <QHash>
#include <QObject>
#include <QOpenGLContext>

#include <mutex>

namespace {

struct Store {
    std::mutex mutex;
    QHash<QOpenGLContext*, QHash<quint64, GLuint>> byContext;
};

Store& store()
{
    static Store s;
    return s;
}

} // namespace

namespace GLSamplers {

GLuint get(GLenum filter, GLenum wrap)
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!context || !f)
        return 0;
    Store& s = store();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.byContext.contains(context)) {
        // The samplers go with their context; forget them then.
        QObject::connect(context, &QOpenGLContext::aboutToBeDestroyed, [context]() {
            Store& s = store();
            std::lock_guard<std::mutex> lock(s.mutex);
            s.byContext.remove(context);
        });
    }
    QHash<quint64, GLuint>& samplers = s.byContext[context];
    const quint64 key = (quint64(filter) << 32) | wrap;
    GLuint& sampler = samplers[key];
    if (!sampler) {
        f->glGenSamplers(1, &sampler);
        f->glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GLint(filter));
        f->glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GLint(filter));
        f->glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GLint(wrap));
        f->glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GLint(wrap));
        f->glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GLint(wrap));
    }
    return sampler;
}

} // namespace GLSamplers
