#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QString>

// The thumbnails of the styles in memory, by picture and style, shared by
// whoever makes them and the image provider that shows them. The oldest
// go first past a limit of memory.
class TStyleThumbnailStore {
public:
    static TStyleThumbnailStore& instance();

    void insert(const QString& key, const QImage& image);
    bool contains(const QString& key) const;
    // A null image when it is not kept.
    QImage find(const QString& key) const;

private:
    TStyleThumbnailStore();
    mutable QMutex m_mutex;
    QCache<QString, QImage> m_images;
};
