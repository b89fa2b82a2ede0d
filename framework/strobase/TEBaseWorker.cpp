#include "TEBaseWorker.h"

#include "TGL.h"
#include "TUid.h"

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
    const QString error = proc(output);
    if (error.isEmpty())
        postProc(output);
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
    const QByteArray extensions = [f] {
        QByteArray all;
        GLint n = 0;
        f->glGetIntegerv(GL_NUM_EXTENSIONS, &n);
        for (GLint i = 0; i < n; ++i)
            all += reinterpret_cast<const char*>(f->glGetStringi(GL_EXTENSIONS, GLuint(i))) + QByteArray(" ");
        return all;
    }();
    GLint kb[4] = {0, 0, 0, 0};
    if (extensions.contains("GL_NVX_gpu_memory_info "))
        f->glGetIntegerv(0x9047 /* GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX */, kb);
    else if (extensions.contains("GL_ATI_meminfo "))
        f->glGetIntegerv(0x87FC /* TEXTURE_FREE_MEMORY_ATI */, kb);
    return kb[0];
}
