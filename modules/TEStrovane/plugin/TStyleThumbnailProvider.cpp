#include "TStyleThumbnailProvider.h"

#include "TStyleThumbnailStore.h"

TStyleThumbnailProvider::TStyleThumbnailProvider()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

QImage TStyleThumbnailProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    QImage image = TStyleThumbnailStore::instance().find(id);
    if (!image.isNull() && requestedSize.isValid())
        image = image.scaled(requestedSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}
