#include "TGL.h"

#include <QOpenGLContext>

namespace TGL {

QOpenGLFunctions_3_3_Core* funcs()
{
    thread_local QOpenGLContext* context = nullptr;
    thread_local QOpenGLFunctions_3_3_Core* functions = nullptr;
    QOpenGLContext* current = QOpenGLContext::currentContext();
    if (current != context) {
        context = current;
        functions = current ? current->versionFunctions<QOpenGLFunctions_3_3_Core>() : nullptr;
        if (functions && !functions->initializeOpenGLFunctions())
            functions = nullptr;
    }
    return functions;
}

} // namespace TGL
