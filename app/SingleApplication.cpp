#include "SingleApplication.h"

#include <QDebug>
#include <QLocalServer>
#include <QLocalSocket>

SingleApplication::SingleApplication(int& argc, char** argv, const QString& uniqueKey)
    : QApplication(argc, argv)
    , m_key(uniqueKey)
{
    m_sharedMemory.setKey(m_key);
    if (m_sharedMemory.attach(QSharedMemory::ReadWrite)) {
        if (firstCopyAnswers()) {
            m_running = true;
            return;
        }
        // On Linux the segment outlives a copy killed by a signal; as its
        // last user we remove it on detaching, and start afresh.
        m_sharedMemory.detach();
    }
    m_running = false;
    if (!m_sharedMemory.create(1, QSharedMemory::ReadWrite)) {
        qDebug() << "Unable to create single instance.";
        return;
    }
    m_localServer = new QLocalServer(this);
    connect(m_localServer, &QLocalServer::newConnection, this, &SingleApplication::receiveMessage);
    // A crashed copy leaves its socket file behind too.
    QLocalServer::removeServer(m_key);
    m_localServer->listen(m_key);
}

bool SingleApplication::firstCopyAnswers() const
{
    QLocalSocket socket;
    socket.connectToServer(m_key);
    return socket.waitForConnected(1000);
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
