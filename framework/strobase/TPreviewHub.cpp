#include "TPreviewHub.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>

TPreviewHub* TPreviewHub::instance()
{
    // Goes with the application object, as the GL thread does.
    static QPointer<TPreviewHub> hub;
    if (!hub)
        hub = new TPreviewHub(QCoreApplication::instance());
    return hub;
}

QString TPreviewHub::newViewerUid()
{
    static std::atomic<int> next{1};
    return QStringLiteral("viewer-%1").arg(next.fetch_add(1));
}

void TPreviewHub::publish(const QString& viewerUid, const TSFbo& image)
{
    if (viewerUid.isEmpty())
        return;
    m_latest.insert(viewerUid, image);
    emit published(viewerUid);
}

void TPreviewHub::forget(const QString& viewerUid)
{
    m_latest.remove(viewerUid);
}
