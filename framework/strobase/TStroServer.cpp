#include "TStroServer.h"

#include "TGLWorkerThread.h"

TStroServer::TStroServer(QObject* parent)
    : QObject(parent)
{
    TGLWorkerThread* thread = TGLWorkerThread::instance();
    connect(thread, &TGLWorkerThread::contextReady, this, &TStroServer::isReadyChanged, Qt::QueuedConnection);
}

bool TStroServer::isReady() const
{
    return TGLWorkerThread::instance()->isReady();
}

QString TStroServer::gpuRenderer()
{
    TGLWorkerThread* thread = TGLWorkerThread::instance();
    thread->waitUntilReady();
    return thread->renderer();
}

int TStroServer::glMaxTextureSize()
{
    TGLWorkerThread* thread = TGLWorkerThread::instance();
    thread->waitUntilReady();
    return thread->maxTextureSize();
}
