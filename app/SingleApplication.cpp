#include "SingleApplication.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleApplication::SingleApplication(int& argc, char** argv, const QString& uniqueKey)
    : QApplication(argc, argv)
    , m_key(uniqueKey)
{
    m_sharedMemory.setKey(m_key);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(folder);
    m_serverName = folder + QLatin1Char('/') + m_key + QStringLiteral(".socket");
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + m_key + QStringLiteral(".lock"));
    m_lockFd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0 && ::unlink(path.constData()) == 0) // a lock file we cannot open is no copy's
        m_lockFd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(m_lockFd);
        m_lockFd = -1;
        if (held) {
            m_running = true;
            return;
        }
    }
    if (m_lockFd >= 0) {
        // For whoever looks: which process holds it.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(m_lockFd, 0) != 0 || ::write(m_lockFd, pid.constData(), size_t(pid.size())) < 0)
            qDebug() << "The single-instance lock file cannot be written:" << path;
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

SingleApplication::~SingleApplication()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

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
