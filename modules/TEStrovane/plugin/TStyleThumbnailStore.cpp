#include "TStyleThumbnailStore.h"

namespace {
// Some twenty pictures' worth of thumbnails.
constexpr int kLimitKB = 64 * 1024;
} // namespace

TStyleThumbnailStore& TStyleThumbnailStore::instance()
{
    static TStyleThumbnailStore store;
    return store;
}

TStyleThumbnailStore::TStyleThumbnailStore()
    : m_images(kLimitKB)
{
}

void TStyleThumbnailStore::insert(const QString& key, const QImage& image)
{
    QMutexLocker lock(&m_mutex);
    m_images.insert(key, new QImage(image), std::max(1, int(image.sizeInBytes() / 1024)));
}

bool TStyleThumbnailStore::contains(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_images.contains(key);
}

QImage TStyleThumbnailStore::find(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    const QImage* image = m_images.object(key);
    return image ? *image : QImage();
}
