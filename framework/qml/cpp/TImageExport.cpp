#include "TImageExport.h"

#include <TImageIO.h>

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>

TImageExport::TImageExport(QObject* parent)
    : TEffect(parent)
{
    finalizeConstructor(QStringLiteral("TImageExport"), ver(1, 0));
}

void TImageExport::setDestUrl(const QUrl& url)
{
    if (url == m_destUrl)
        return;
    m_destUrl = url;
    emit destUrlChanged(url);
}

void TImageExport::setMetaData(const QVariantMap& metaData)
{
    m_metaData = metaData;
    emit metaDataChanged();
}

void TImageExport::setSourceUrl(const QUrl& url)
{
    if (url == m_sourceUrl)
        return;
    m_sourceUrl = url;
    emit sourceUrlChanged(url);
}

void TImageExport::fail(const QString& message)
{
    m_error = message;
    qWarning("TImageExport: %s", qPrintable(message));
    emit failed(message);
    emit procFinished(QStringLiteral("OUTPUT"), message);
}

void TImageExport::procOutput()
{
    if (input().isEmpty())
        return fail(tr("There is no image to save."));
    if (!m_destUrl.isLocalFile())
        return fail(tr("Images are saved to files only, not to %1.").arg(m_destUrl.toString()));
    TImageIO::SaveOptions options;
    QString error;
    QVariantMap meta = m_metaData;
    // A map without a format (the external editor's write-back) keeps the
    // file's own: the format of its extension, and the bit depth and alpha
    // of what is there now.
    if (!meta.contains(QStringLiteral("IMAGE_FORMAT"))) {
        const QString ext = QFileInfo(m_destUrl.toLocalFile()).suffix().toUpper();
        const QString format = ext == QLatin1String("JPG") ? QStringLiteral("JPEG")
            : ext == QLatin1String("TIF")                   ? QStringLiteral("TIFF")
                                                            : ext;
        meta.insert(QStringLiteral("IMAGE_FORMAT"), format);
        int depth = 8, channels = 3;
        if (TImageIO::storedLayout(m_destUrl.toLocalFile(), &depth, &channels)) {
            meta.insert(format == QLatin1String("PNG") ? QStringLiteral("PNG_BITDEPTH") : QStringLiteral("TIFF_BITDEPTH"), depth);
            meta.insert(QStringLiteral("SAVE_ALPHA"), channels == 4);
            meta.insert(QStringLiteral("JPEG_QUALITY"), 95);
        }
    }
    if (!TImageIO::SaveOptions::fromMetaData(meta, &options, &error))
        return fail(error);
    if (m_sourceUrl.isLocalFile())
        options.metadataSource = m_sourceUrl.toLocalFile();

    const QString path = m_destUrl.toLocalFile();
    const cv::Mat image = input().mat();
    const QUrl url = m_destUrl;
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, url] {
        const QString error = watcher->result();
        watcher->deleteLater();
        if (error.isEmpty()) {
            m_error.clear();
            emit saved(url);
            emit procFinished(QStringLiteral("OUTPUT"), QString());
        } else {
            fail(error);
        }
        setPending(pending() - 1);
    });
    setPending(pending() + 1);
    watcher->setFuture(QtConcurrent::run([path, image, options] {
        QString error;
        TImageIO::save(path, image, options, &error);
        return error;
    }));
}
