#pragma once

#include <TEffect.h>

#include <QUrl>
#include <QVariantMap>

// Writes its input to destUrl with the save dialogs' settings (metaData:
// "IMAGE_FORMAT", "JPEG_QUALITY", "TIFF_COMPRESSION", ...), carrying the
// EXIF, IPTC and XMP of sourceUrl over. The file appears only complete; a
// failure leaves an existing file untouched and says why.
class TImageExport : public TEffect {
    Q_OBJECT
    Q_PROPERTY(QUrl destUrl READ destUrl WRITE setDestUrl NOTIFY destUrlChanged)
    Q_PROPERTY(QVariantMap metaData READ metaData WRITE setMetaData NOTIFY metaDataChanged)
    Q_PROPERTY(QUrl sourceUrl READ sourceUrl WRITE setSourceUrl NOTIFY sourceUrlChanged)
    Q_PROPERTY(QString errorString READ errorString NOTIFY failed)
public:
    explicit TImageExport(QObject* parent = nullptr);

    QUrl destUrl() const { return m_destUrl; }
    void setDestUrl(const QUrl& url);
    QVariantMap metaData() const { return m_metaData; }
    void setMetaData(const QVariantMap& metaData);
    QUrl sourceUrl() const { return m_sourceUrl; }
    void setSourceUrl(const QUrl& url);
    QString errorString() const { return m_error; }

    void procOutput() override;

signals:
    void destUrlChanged(const QUrl& url);
    void metaDataChanged();
    void sourceUrlChanged(const QUrl& url);
    void saved(const QUrl& url);
    void failed(const QString& message);

private:
    void fail(const QString& message);

    QUrl m_destUrl;
    QVariantMap m_metaData;
    QUrl m_sourceUrl;
    QString m_error;
};
