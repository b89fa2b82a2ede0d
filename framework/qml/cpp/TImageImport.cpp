#include "TImageImport.h"

#include <TImageIO.h>

#include <QFutureWatcher>
#include <QtConcurrent>

namespace {
struct Loaded {
    TSMat image;
    QString error;
};
} // namespace

TImageImport::TImageImport(QObject* parent)
    : TEffect(parent)
{
    finalizeConstructor(QStringLiteral("TImageImport"), ver(1, 0));
}

void TImageImport::setSrcUrl(const QUrl& url)
{
    if (url == m_srcUrl)
        return;
    m_srcUrl = url;
    emit srcUrlChanged(url);
}

void TImageImport::procOutput()
{
    const QString path = m_srcUrl.isLocalFile() ? m_srcUrl.toLocalFile() : m_srcUrl.toString();
    // Only the latest request's image counts when the user opens quickly.
    const quint64 serial = ++m_serial;
    auto* watcher = new QFutureWatcher<Loaded>(this);
    connect(watcher, &QFutureWatcher<Loaded>::finished, this, [this, watcher, serial] {
        const Loaded result = watcher->result();
        watcher->deleteLater();
        if (serial == m_serial) {
            if (result.error.isEmpty()) {
                m_error.clear();
                setOutput(result.image);
                emit procFinished(QStringLiteral("OUTPUT"), QString());
            } else {
                m_error = result.error;
                qWarning("TImageImport: %s", qPrintable(m_error));
                emit failed(m_error);
                emit procFinished(QStringLiteral("OUTPUT"), m_error);
            }
        }
        setPending(pending() - 1);
    });
    setPending(pending() + 1);
    watcher->setFuture(QtConcurrent::run([path] {
        Loaded r;
        TImageIO::load(path, &r.image, &r.error);
        return r;
    }));
}
