#include "TNetworkUtils.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

TNetworkUtils::TNetworkUtils(QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
}

TNetworkUtils::~TNetworkUtils()
{
    for (const Request& r : qAsConst(m_requests)) {
        r.reply->abort();
        delete r.file; // uncommitted: the target stays as it was
    }
}

int TNetworkUtils::download(const QUrl& url, const QString& filePath)
{
    const int id = m_nextId++;
    auto* file = new QSaveFile(filePath);
    if (!file->open(QIODevice::WriteOnly)) {
        const QString why = file->errorString();
        delete file;
        QMetaObject::invokeMethod(this, [this, id, why] { emit finished(id, why); }, Qt::QueuedConnection);
        return id;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_manager->get(request);
    m_requests.insert(id, {reply, file});
    connect(reply, &QNetworkReply::readyRead, this, [reply, file] { file->write(reply->readAll()); });
    connect(reply, &QNetworkReply::downloadProgress, this,
            [this, id](qint64 read, qint64 total) { emit progress(id, read, total); });
    connect(reply, &QNetworkReply::finished, this, [this, id] { finish(id); });
    return id;
}

void TNetworkUtils::abort(int reqId)
{
    if (m_requests.contains(reqId))
        m_requests[reqId].reply->abort();
}

void TNetworkUtils::finish(int reqId)
{
    const Request r = m_requests.take(reqId);
    QString error;
    if (r.reply->error() != QNetworkReply::NoError) {
        error = r.reply->errorString();
        r.file->cancelWriting();
    } else {
        r.file->write(r.reply->readAll());
        if (!r.file->commit())
            error = r.file->errorString();
    }
    delete r.file;
    r.reply->deleteLater();
    emit finished(reqId, error);
}
