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
    m_serverName = folder + QLatin1Char('/') + m_key + QStringLiteral(".socket");
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
    // The marker is shared by the whole machine; the lock, which is the
    // user's own, has decided already, so the socket opens in any case.
    if (!m_sharedMemory.create(1, QSharedMemory::ReadWrite))
        qDebug() << "Unable to create single instance.";
    m_localServer = new QLocalServer(this);
    connect(m_localServer, &QLocalServer::newConnection, this, &SingleApplication::receiveMessage);
    m_localServer->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_serverName);
    m_localServer->listen(m_serverName);
}

bool SingleApplication::sendMessage(const QString& message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(message.toUtf8());
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
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
