#include "TStyleThumbnails.h"

#include "TStrovane.h"
#include "TStyleThumbnailProvider.h"
#include "TStyleThumbnailStore.h"

#include <QBuffer>
#include <QDebug>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <opencv2/imgproc.hpp>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>

namespace {

// Changes whenever thumbnails of the same values would come out otherwise.
const QByteArray kFormat = QByteArrayLiteral("strovane-thumbnail-1");

// Written whole or not at all, for the user's eyes only.
bool writePrivately(const QString& path, const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || ::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0)
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage toImage(const cv::Mat& bgr16)
{
    cv::Mat bgr8, rgb;
    bgr16.convertTo(bgr8, CV_8U, 1.0 / 257.0);
    cv::cvtColor(bgr8, rgb, cv::COLOR_BGR2RGB);
    return QImage(rgb.data, rgb.cols, rgb.rows, int(rgb.step), QImage::Format_RGB888).copy();
}

} // namespace

TStyleThumbnails::TStyleThumbnails(QObject* parent)
    : QObject(parent)
    , m_effect(std::make_unique<TStrovane>())
{
    // Values are set silently; only its own requests paint, behind the user's.
    m_effect->setNotificationEnabled(false);
    m_effect->setBackground(true);
    m_effect->setShowPainting(false);
    m_effect->setLowResolutionMode(false);
    connect(m_effect.get(), &TEffect::procFinished, this, &TStyleThumbnails::finished);
}

TStyleThumbnails::~TStyleThumbnails() = default;

cv::Mat TStyleThumbnails::reduced(const cv::Mat& picture)
{
    const int longer = std::max(picture.cols, picture.rows);
    if (longer <= kSide)
        return picture.clone();
    const double scale = double(kSide) / longer;
    cv::Mat small;
    cv::resize(picture, small,
               cv::Size(std::max(1, int(std::lround(picture.cols * scale))), std::max(1, int(std::lround(picture.rows * scale)))),
               0, 0, cv::INTER_AREA);
    return small;
}

void TStyleThumbnails::setPicture(const TSMat& picture)
{
    if (picture.uid() == m_picture.uid())
        return;
    m_picture = picture;
    m_pictureKey.clear();
    m_small = TSMat();
    if (!picture.isEmpty()) {
        const cv::Mat small = reduced(picture.mat());
        m_small = TSMat(small);
        QCryptographicHash hash(QCryptographicHash::Sha1);
        hash.addData(kFormat);
        hash.addData(QByteArray::number(small.cols) + 'x' + QByteArray::number(small.rows) + ':'
                     + QByteArray::number(small.type()));
        for (int y = 0; y < small.rows; ++y)
            hash.addData(reinterpret_cast<const char*>(small.ptr(y)), int(small.cols * small.elemSize()));
        m_pictureKey = QString::fromLatin1(hash.result().toHex());
    }
    restart();
    emit pictureChanged();
}

void TStyleThumbnails::setStyles(const QVariantList& styles)
{
    m_styles = styles;
    m_styleKeys.clear();
    for (const QVariant& style : styles) {
        const QVariantMap s = style.toMap();
        const QByteArray values = QJsonDocument(QJsonObject::fromVariantMap(s.value(QStringLiteral("preset")).toMap()))
                                      .toJson(QJsonDocument::Compact);
        m_styleKeys.insert(s.value(QStringLiteral("guid")).toString(),
                           QString::fromLatin1(QCryptographicHash::hash(kFormat + values, QCryptographicHash::Sha1).toHex()));
    }
    restart();
    emit stylesChanged();
}

QString TStyleThumbnails::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/style-thumbnails");
}

QString TStyleThumbnails::keyOf(const QString& guid) const
{
    const QString style = m_styleKeys.value(guid);
    if (m_pictureKey.isEmpty() || style.isEmpty())
        return QString();
    return m_pictureKey + QLatin1Char('-') + style;
}

QString TStyleThumbnails::pathOf(const QString& key) const
{
    return folder() + QLatin1Char('/') + key + QStringLiteral(".png");
}

QUrl TStyleThumbnails::source(const QString& guid) const
{
    const QString key = keyOf(guid);
    if (key.isEmpty() || !TStyleThumbnailStore::instance().contains(key))
        return QUrl();
    return QUrl(QStringLiteral("image://%1/%2").arg(QLatin1String(TStyleThumbnailProvider::kName), key));
}

bool TStyleThumbnails::pending(const QString& guid) const
{
    return m_queue.contains(guid) || (!m_running.isEmpty() && m_running == keyOf(guid));
}

void TStyleThumbnails::prefer(const QStringList& guids)
{
    for (int i = guids.size() - 1; i >= 0; --i) {
        if (m_queue.removeOne(guids.at(i)))
            m_queue.prepend(guids.at(i));
    }
}

// What the memory or the disk holds is shown at once; the rest is queued.
void TStyleThumbnails::restart()
{
    QStringList queue;
    TStyleThumbnailStore& store = TStyleThumbnailStore::instance();
    for (const QVariant& style : m_styles) {
        const QString guid = style.toMap().value(QStringLiteral("guid")).toString();
        const QString key = keyOf(guid);
        if (key.isEmpty() || store.contains(key) || key == m_running)
            continue;
        const QImage kept(pathOf(key));
        if (!kept.isNull() && std::max(kept.width(), kept.height()) <= kSide) {
            store.insert(key, kept);
            continue;
        }
        queue << guid;
    }
    // The order asked for before stays where the styles are the same.
    QStringList ordered;
    for (const QString& guid : m_queue) {
        if (queue.contains(guid))
            ordered << guid;
    }
    for (const QString& guid : queue) {
        if (!ordered.contains(guid))
            ordered << guid;
    }
    m_queue = ordered;
    ++m_revision;
    emit revisionChanged();
    // After whoever changed the picture has said which styles come first.
    QMetaObject::invokeMethod(this, &TStyleThumbnails::paintNext, Qt::QueuedConnection);
}

void TStyleThumbnails::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    emit pausedChanged();
    if (!paused)
        paintNext();
}

void TStyleThumbnails::paintNext()
{
    if (m_paused || !m_running.isEmpty() || m_queue.isEmpty() || m_small.isEmpty())
        return;
    const QString guid = m_queue.takeFirst();
    QVariantMap preset;
    for (const QVariant& style : m_styles) {
        if (style.toMap().value(QStringLiteral("guid")).toString() == guid)
            preset = style.toMap().value(QStringLiteral("preset")).toMap();
    }
    m_effect->resetParams();
    if (!m_effect->setPreset(preset)) {
        paintNext();
        return;
    }
    m_running = keyOf(guid);
    m_effect->setInput(m_small);
    m_effect->procOutput();
}

void TStyleThumbnails::finished(const QString& mode, const QString& error)
{
    if (mode != TProcRequest::modeName(TProcRequest::Output) || m_running.isEmpty())
        return;
    const QString key = m_running;
    m_running.clear();
    if (error.isEmpty() && !m_effect->output().isEmpty()) {
        const QImage image = toImage(m_effect->output().mat());
        TStyleThumbnailStore::instance().insert(key, image);
        if (QDir().mkpath(folder()))
            writePrivately(pathOf(key), image);
    } else {
        qWarning() << "TStyleThumbnails: a thumbnail failed:" << error;
    }
    ++m_revision;
    emit revisionChanged();
    paintNext();
}
