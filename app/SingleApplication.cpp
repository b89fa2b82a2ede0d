#include "SingleApplication.h"

#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

SingleApplication::SingleApplication(int& argc, char** argv, const QString& uniqueKey)
    : QApplication(argc, argv)
    , m_key(uniqueKey)
{
    m_sharedMemory.setKey(m_key);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(folder);
    m_lock.reset(new QLockFile(folder + QLatin1Char('/') + m_key + QStringLiteral(".lock")));
    // Only a holder that no longer runs makes a lock stale, however old.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError) {
        m_running = true;
        return;
    }
    // This is the only copy: a marker segment or socket file left by one
    // that was killed goes (on Linux both outlive their process).
    if (m_sharedMemory.attach(QSharedMemory::ReadWrite))
        m_sharedMemory.detach();
    m_running = false;
    if (!m_sharedMemory.create(1, QSharedMemory::ReadWrite)) {
        qDebug() << "Unable to create single instance.";
        return;
    }
    m_localServer = new QLocalServer(this);
    connect(m_localServer, &QLocalServer::newConnection, this, &SingleApplication::receiveMessage);
    QLocalServer::removeServer(m_key);
    m_localServer->listen(m_key);
}

SingleApplication::~SingleApplication() = default;

void SingleApplication::receiveMessage()
{
    QLocalSocket* socket = m_localServer->nextPendingConnection();
    if (!socket)
        return;
    if (!socket->waitForReadyRead(1000)) {
        qDebug() << socket->errorString().toLatin1();
        socket->deleteLater();
        return;
    }
    emit messageAvailable(QString::fromUtf8(socket->readAll()));
    socket->disconnectFromServer();
    socket->deleteLater();
}
