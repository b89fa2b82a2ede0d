#pragma once

#include <TEffect.h>

#include <QUrl>

// Reads the image at srcUrl (JPEG, TIFF or PNG, turned upright and brought
// into the working colour space) off the GUI thread; the image becomes the
// effect's output.
class TImageImport : public TEffect {
    Q_OBJECT
    Q_PROPERTY(QUrl srcUrl READ srcUrl WRITE setSrcUrl NOTIFY srcUrlChanged)
    Q_PROPERTY(QString errorString READ errorString NOTIFY failed)
public:
    explicit TImageImport(QObject* parent = nullptr);

    QUrl srcUrl() const { return m_srcUrl; }
    void setSrcUrl(const QUrl& url);
    QString errorString() const { return m_error; }

    // Reads srcUrl; output changes when it is read, failed tells why not.
    void procOutput() override;

signals:
    void srcUrlChanged(const QUrl& url);
    void failed(const QString& message);

private:
    QUrl m_srcUrl;
    QString m_error;
    quint64 m_serial = 0;
};
