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

Scissor::Scissor(const QRect& rect)
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    if (!f)
        return;
    m_active = true;
    m_wasOn = f->glIsEnabled(GL_SCISSOR_TEST);
    f->glGetIntegerv(GL_SCISSOR_BOX, m_box);
    if (rect.isEmpty()) {
        f->glDisable(GL_SCISSOR_TEST);
        return;
    }
    f->glEnable(GL_SCISSOR_TEST);
    f->glScissor(rect.x(), rect.y(), rect.width(), rect.height());
}

Scissor::~Scissor()
{
    QOpenGLFunctions_3_3_Core* f = funcs();
    if (!m_active || !f)
        return;
    f->glScissor(m_box[0], m_box[1], m_box[2], m_box[3]);
    if (m_wasOn)
        f->glEnable(GL_SCISSOR_TEST);
    else
        f->glDisable(GL_SCISSOR_TEST);
}

} // namespace TGL
