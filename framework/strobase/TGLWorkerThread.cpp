#include "TGLWorkerThread.h"

#include "GLCache.h"
#include "TEBaseWorker.h"
#include "TEFactory.h"
#include "TGL.h"

#include <QCoreApplication>

#include <algorithm>
#include <QDebug>
#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace {
TGLWorkerThread* g_instance = nullptr;
QMutex g_instanceMutex;

QSurfaceFormat coreFormat()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    return format;
}

// Forwards a running request's reports to the GUI thread.
class Reporter : public TProcReporter {
public:
    Reporter(TGLWorkerThread* thread, const TProcRequest& request)
        : m_thread(thread)
        , m_request(request)
    {
    }
    void progress(int percent, const QString& text) override
    {
        emit m_thread->progress(m_request.effectId, percent, text);
    }
    void preview(const TSFbo& image) override
    {
        if (m_request.mode != TProcRequest::Preview || image.isEmpty())
            return;
        // The GL thread goes on drawing into the image; the view gets a copy.
        TSFbo copy(image.size(), image.internalFormat());
        TSFbo::blitFramebuffer(copy, image, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        copy.setUid(image.uid());
        copy.setScale(image.scale());
        TGL::funcs()->glFinish();
        emit m_thread->preview(m_request.effectId, QVariant::fromValue(copy));
    }
    bool superseded() const override
    {
        if (m_request.background)
            return m_thread->foregroundQueued();
        return m_request.mode == TProcRequest::Preview && m_thread->previewQueued(m_request.effectId);
    }

private:
    TGLWorkerThread* m_thread;
    const TProcRequest& m_request;
};
} // namespace

TGLWorkerThread::TGLWorkerThread(QObject* parent)
    : QThread(parent)
{
    qRegisterMetaType<TGLWorkerThread::Result>();
    qRegisterMetaType<quint64>("quint64");
    // The surface must be made on the GUI thread; the context on ours.
    m_surface = new QOffscreenSurface();
    m_surface->setFormat(coreFormat());
    m_surface->create();
}

TGLWorkerThread::~TGLWorkerThread()
{
    delete m_surface;
}

TGLWorkerThread* TGLWorkerThread::instance()
{
    QMutexLocker lock(&g_instanceMutex);
    if (!g_instance) {
        g_instance = new TGLWorkerThread();
        g_instance->setObjectName(QStringLiteral("TGLWorkerThread"));
        g_instance->start();
        // Before the window system goes away with the application object.
        qAddPostRoutine(&TGLWorkerThread::shutDown);
    }
    return g_instance;
}

TGLWorkerThread* TGLWorkerThread::existing()
{
    QMutexLocker lock(&g_instanceMutex);
    return g_instance;
}

void TGLWorkerThread::shutDown()
{
    TGLWorkerThread* thread = nullptr;
    {
        QMutexLocker lock(&g_instanceMutex);
        thread = g_instance;
        g_instance = nullptr;
    }
    if (!thread)
        return;
    {
        QMutexLocker lock(&thread->m_mutex);
        thread->m_stop = true;
        thread->m_wake.wakeAll();
    }
    thread->wait();
    delete thread;
}

void TGLWorkerThread::deleteGLObjects(GLuint texture, GLuint framebuffer, QOpenGLContext* owner)
{
    if (!texture && !framebuffer)
        return;
    // Textures are shared by every context of the process; a framebuffer
    // name means something only on the context that made it (deleting it
    // on the scene graph's context would delete one of the scene graph's).
    QOpenGLContext* current = QOpenGLContext::currentContext();
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (f && texture) {
        f->glDeleteTextures(1, &texture);
        texture = 0;
    }
    if (framebuffer && f && current == owner) {
        f->glDeleteFramebuffers(1, &framebuffer);
        framebuffer = 0;
    }
    if (!texture && !framebuffer)
        return;
    QMutexLocker lock(&g_instanceMutex);
    if (!g_instance)
        return; // no context left: the objects went with it
    QMutexLocker queueLock(&g_instance->m_mutex);
    if (texture)
        g_instance->m_deadTextures.push_back(texture);
    // Another context's framebuffer goes with that context.
    if (framebuffer && owner == g_instance->m_context)
        g_instance->m_deadFramebuffers.push_back(framebuffer);
    g_instance->m_wake.wakeAll();
}

bool TGLWorkerThread::waitUntilReady()
{
    QMutexLocker lock(&m_mutex);
    while (!m_ready && !m_failed)
        m_readyCondition.wait(&m_mutex);
    return m_ready;
}

bool TGLWorkerThread::isReady() const
{
    QMutexLocker lock(&m_mutex);
    return m_ready;
}

QString TGLWorkerThread::renderer() const
{
    QMutexLocker lock(&m_mutex);
    return m_renderer;
}

int TGLWorkerThread::maxTextureSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_maxTextureSize;
}

void TGLWorkerThread::submit(const TProcRequest& request)
{
    QMutexLocker lock(&m_mutex);
    if (request.mode == TProcRequest::Preview) {
        // The newer preview goes to the back, not into the older one's place:
        // effects sharing a view show what was asked for last.
        auto pending = std::find_if(m_queue.begin(), m_queue.end(), [&request](const TProcRequest& r) {
            return r.effectId == request.effectId && r.mode == TProcRequest::Preview;
        });
        if (pending != m_queue.end()) {
            Result dropped;
            dropped.effectId = pending->effectId;
            dropped.serial = pending->serial;
            dropped.dropped = true;
            m_queue.erase(pending);
            emit finished(dropped);
        }
    }
    m_queue.push_back(request);
    m_wake.wakeAll();
}

bool TGLWorkerThread::previewQueued(quint64 effectId) const
{
    QMutexLocker lock(&m_mutex);
    return std::any_of(m_queue.begin(), m_queue.end(), [effectId](const TProcRequest& r) {
        return r.effectId == effectId && r.mode == TProcRequest::Preview;
    });
}

bool TGLWorkerThread::foregroundQueued() const
{
    QMutexLocker lock(&m_mutex);
    return std::any_of(m_queue.begin(), m_queue.end(), [](const TProcRequest& r) { return !r.background; });
}

void TGLWorkerThread::releaseWorker(quint64 effectId)
{
    QMutexLocker lock(&m_mutex);
    // Tasks run before requests, and after the request under way, which
    // may have put its background work back: the queue is cleared there.
    m_tasks.push_back([this, effectId] {
        m_workers.erase(effectId);
        // Requests of an effect that is gone have nobody to go to.
        QMutexLocker queueLock(&m_mutex);
        m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                     [effectId](const TProcRequest& r) { return r.effectId == effectId; }),
                      m_queue.end());
    });
    m_wake.wakeAll();
}

void TGLWorkerThread::runBlocking(const std::function<void()>& fn)
{
    if (QThread::currentThread() == this) {
        fn();
        return;
    }
    QMutex doneMutex;
    QWaitCondition doneCondition;
    bool done = false;
    {
        QMutexLocker lock(&m_mutex);
        m_tasks.push_back([&] {
            fn();
            QMutexLocker doneLock(&doneMutex);
            done = true;
            doneCondition.wakeAll();
        });
        m_wake.wakeAll();
    }
    QMutexLocker doneLock(&doneMutex);
    while (!done)
        doneCondition.wait(&doneMutex);
}

void TGLWorkerThread::deletePendingObjects()
{
    std::vector<GLuint> textures, framebuffers;
    {
        QMutexLocker lock(&m_mutex);
        textures.swap(m_deadTextures);
        framebuffers.swap(m_deadFramebuffers);
    }
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    if (!framebuffers.empty())
        f->glDeleteFramebuffers(GLsizei(framebuffers.size()), framebuffers.data());
    if (!textures.empty())
        f->glDeleteTextures(GLsizei(textures.size()), textures.data());
}

void TGLWorkerThread::run()
{
    m_context = new QOpenGLContext();
    m_context->setFormat(coreFormat());
    m_context->setShareContext(QOpenGLContext::globalShareContext());
    const bool ok = m_context->create() && m_context->makeCurrent(m_surface) && TGL::funcs();
    {
        QMutexLocker lock(&m_mutex);
        if (ok) {
            QOpenGLFunctions_3_3_Core* f = TGL::funcs();
            m_renderer = QString::fromLatin1(reinterpret_cast<const char*>(f->glGetString(GL_RENDERER)));
            f->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_maxTextureSize);
            m_ready = true;
        } else {
            m_failed = true;
        }
        m_readyCondition.wakeAll();
    }
    if (ok)
        emit contextReady();
    if (!ok) {
        qWarning() << "TGLWorkerThread: cannot create an OpenGL 3.3 core context";
        delete m_context;
        m_context = nullptr;
        // Requests still get an answer, so that nobody waits forever.
        QMutexLocker lock(&m_mutex);
        while (!m_stop) {
            while (!m_queue.empty()) {
                Result r;
                r.effectId = m_queue.front().effectId;
                r.serial = m_queue.front().serial;
                r.mode = m_queue.front().mode;
                r.error = QStringLiteral("no OpenGL 3.3 core context");
                m_queue.pop_front();
                emit finished(r);
            }
            while (!m_tasks.empty()) {
                auto task = std::move(m_tasks.front());
                m_tasks.pop_front();
                lock.unlock();
                task();
                lock.relock();
            }
            if (!m_stop)
                m_wake.wait(&m_mutex);
        }
        return;
    }

    for (;;) {
        deletePendingObjects();
        std::function<void()> task;
        TProcRequest request;
        bool haveRequest = false;
        {
            QMutexLocker lock(&m_mutex);
            while (!m_stop && m_queue.empty() && m_tasks.empty() && m_deadTextures.empty()
                   && m_deadFramebuffers.empty())
                m_wake.wait(&m_mutex);
            if (!m_tasks.empty()) {
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            } else if (!m_queue.empty()) {
                auto next = std::find_if(m_queue.begin(), m_queue.end(),
                                         [](const TProcRequest& r) { return !r.background; });
                if (next == m_queue.end())
                    next = m_queue.begin();
                request = *next;
                m_queue.erase(next);
                haveRequest = true;
            } else if (m_stop && m_deadTextures.empty() && m_deadFramebuffers.empty()) {
                break;
            }
        }
        if (task)
            task();
        else if (haveRequest)
            processRequest(request);
    }

    m_workers.clear();
    GLCache::clear();
    deletePendingObjects();
    m_context->doneCurrent();
    delete m_context;
    m_context = nullptr;
}

void TGLWorkerThread::processRequest(const TProcRequest& request)
{
    Result result;
    result.effectId = request.effectId;
    result.serial = request.serial;
    result.mode = request.mode;

    auto it = m_workers.find(request.effectId);
    if (it == m_workers.end()) {
        TEBaseWorker* worker = TEFactory::createWorker(request.className, unsigned(request.effectId), 0);
        if (!worker) {
            result.error = QStringLiteral("no worker for effect class %1").arg(request.className);
            emit finished(result);
            return;
        }
        it = m_workers.emplace(request.effectId, std::unique_ptr<TEBaseWorker>(worker)).first;
    }
    TProcRequest running = request;
    Reporter reporter(this, running);
    running.reporter = &reporter;
    TSFbo output;
    result.error = it->second->processProcReq(running, output);
    // An output goes back as pixels only; the GUI shows previews, not it.
    if (result.error.isEmpty() && request.mode == TProcRequest::Output && !output.isEmpty())
        result.outputMat = TSMat(output.dataToMat(CV_16UC3, true, true));
    else if (!output.isEmpty())
        result.output = QVariant::fromValue(output);
    // Stopped for the newer preview: nothing to show, nothing went wrong.
    result.dropped = output.isEmpty() && result.error.isEmpty() && reporter.superseded();
    TGL::funcs()->glFinish();
    if (result.dropped && request.background) {
        // Background work gave way: it goes on after what came.
        QMutexLocker lock(&m_mutex);
        m_queue.push_back(request);
        return;
    }
    emit finished(result);
}
