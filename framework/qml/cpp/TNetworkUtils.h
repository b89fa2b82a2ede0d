#pragma once

#include <QHash>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

// Downloads into files, with progress (the TNetworkUtils singleton of TBase).
class TNetworkUtils : public QObject {
    Q_OBJECT
public:
    explicit TNetworkUtils(QObject* parent = nullptr);
    ~TNetworkUtils() override;

    // Starts fetching url into filePath (written through a temporary file
    // renamed into place when complete); returns the request id.
    Q_INVOKABLE int download(const QUrl& url, const QString& filePath);
    Q_INVOKABLE void abort(int reqId);

signals:
    void progress(int reqId, qint64 bytesRead, qint64 totalBytes);
    // errorMessage is empty on success.
    void finished(int reqId, const QString& errorMessage);

private:
    struct Request {
        QNetworkReply* reply;
        QSaveFile* file;
    };
    void finish(int reqId);

    QNetworkAccessManager* m_manager;
    QHash<int, Request> m_requests;
    int m_nextId = 1;
};
