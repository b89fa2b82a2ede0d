#pragma once

#include "TProcRequest.h"
#include "strobase_global.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <qopengl.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QOffscreenSurface;
class QOpenGLContext;
class TEBaseWorker;

// The process's one GL thread: an offscreen OpenGL 3.3 core context shared
// with the QML scene graph, the effects' workers, and the request queue.
// A newer preview of an effect replaces its pending one at the back of the
// queue; output and preset requests always run. Background requests run
// only when no other request waits, and one that is running stops at its
// next step when another comes, to run again after it.
class STROBASE_EXPORT TGLWorkerThread : public QThread {
    Q_OBJECT
public:
    struct Result {
        quint64 effectId = 0;
        quint64 serial = 0;
        TProcRequest::Mode mode = TProcRequest::Preview;
        bool dropped = false;
        QString error;
        QVariant output;  // TSFbo of a preview
        TSMat outputMat;  // read back for output requests
    };

    // Started on first use; call from the GUI thread. It stops by itself
    // when the application object goes, if nobody stopped it before.
    static TGLWorkerThread* instance();
    // The running thread, or null: does not start one.
    static TGLWorkerThread* existing();
    static void shutDown();
    // Deletes GL objects now when a context is current on this thread (the
    // framebuffer only on owner, the context that made it), else hands them
    // to the GL thread.
    static void deleteGLObjects(GLuint texture, GLuint framebuffer, QOpenGLContext* owner = nullptr);

    // Blocks until the context exists; false when it could not be made.
    bool waitUntilReady();
    bool isReady() const;
    QString renderer() const;
    int maxTextureSize() const;

    void submit(const TProcRequest& request);
    // A preview of the effect waits in the queue.
    bool previewQueued(quint64 effectId) const;
    // A request that is not background work waits in the queue.
    bool foregroundQueued() const;
    // The effect is gone: its worker is deleted on the GL thread.
    void releaseWorker(quint64 effectId);
    // Runs a function on the GL thread and waits for it.
    void runBlocking(const std::function<void()>& fn);

signals:
    void contextReady();
    // Queued to the GUI thread.
    void finished(const TGLWorkerThread::Result& result);
    void progress(quint64 effectId, int percent, const QString& text);
    void preview(quint64 effectId, const QVariant& image);

protected:
    void run() override;

private:
    explicit TGLWorkerThread(QObject* parent = nullptr);
    ~TGLWorkerThread() override;
    void processRequest(const TProcRequest& request);
    void deletePendingObjects();

    QOffscreenSurface* m_surface = nullptr;
    QOpenGLContext* m_context = nullptr;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_readyCondition;
    bool m_ready = false;
    bool m_failed = false;
    bool m_stop = false;
    QString m_renderer;
    int m_maxTextureSize = 0;
    std::deque<TProcRequest> m_queue;
    std::deque<std::function<void()>> m_tasks;
    std::vector<GLuint> m_deadTextures;
    std::vector<GLuint> m_deadFramebuffers;
    std::map<quint64, std::unique_ptr<TEBaseWorker>> m_workers;
};

Q_DECLARE_METATYPE(TGLWorkerThread::Result)
