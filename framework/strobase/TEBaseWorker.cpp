#include "TEBaseWorker.h"

#include "TGL.h"
#include "TUid.h"

#include <opencv2/core.hpp>

#include <new>

QString TProcRequest::modeName(Mode mode)
{
    switch (mode) {
    case Preview: return QStringLiteral("PREVIEW");
    case Output: return QStringLiteral("OUTPUT");
    case Preset: return QStringLiteral("PRESET");
    }
    return QString();
}

TEBaseWorker::TEBaseWorker(const QString& name, unsigned, unsigned)
    : m_name(name)
{
}

TEBaseWorker::~TEBaseWorker() = default;

quint32 TEBaseWorker::stateUid() const
{
    const QVariantMap params = m_request.state.value(QStringLiteral("params")).toMap();
    return TUid::hash(params.keys(), params, 0);
}

void TEBaseWorker::postProc(TSFbo&)
{
}

QStringList TEBaseWorker::baseParamKeys() const
{
    return {QStringLiteral("blendMode"), QStringLiteral("opacity")};
}

QString TEBaseWorker::processProcReq(const TProcRequest& request, TSFbo& output)
{
    m_request = request;
    QString error;
    // A request that runs out of memory fails; the program goes on.
    try {
        error = proc(output);
        if (error.isEmpty())
            postProc(output);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("out of memory");
    } catch (const cv::Exception& e) {
        error = QString::fromStdString(e.msg);
    }
    if (!error.isEmpty())
        output = TSFbo();
    m_request.reporter = nullptr;
    return error;
}

int TEBaseWorker::glMaxTextureSize()
{
    GLint size = 0;
    if (QOpenGLFunctions_3_3_Core* f = TGL::funcs())
        f->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

int TEBaseWorker::glRAMSizeKB()
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!f)
        return 0;
    // Which query the driver answers does not change: look it up once.
    thread_local GLenum query = [f]() -> GLenum {
        GLint n = 0;
        f->glGetIntegerv(GL_NUM_EXTENSIONS, &n);
        GLenum found = 0;
        for (GLint i = 0; i < n; ++i) {
            const QByteArray name(reinterpret_cast<const char*>(f->glGetStringi(GL_EXTENSIONS, GLuint(i))));
            if (name == "GL_NVX_gpu_memory_info")
                return 0x9047; // GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX
            if (name == "GL_ATI_meminfo")
                found = 0x87FC; // TEXTURE_FREE_MEMORY_ATI
        }
        return found;
    }();
    GLint kb[4] = {0, 0, 0, 0};
    if (query)
        f->glGetIntegerv(query, kb);
    return kb[0];
}
