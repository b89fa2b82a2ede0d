#pragma once

#include <QQuickImageProvider>

// "image://strovanestyles/KEY": a style's thumbnail of a picture from the
// store in memory.
class TStyleThumbnailProvider : public QQuickImageProvider {
public:
    static constexpr const char* kName = "strovanestyles";
    TStyleThumbnailProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};
