#pragma once

#include <QApplication>
#include <QSharedMemory>

class QLocalServer;

// The application object, which also keeps a second copy of the program
// from running: the first copy holds a lock file, a marker segment and a
// local socket under the same key. The lock decides: the first copy holds
// the system's advisory lock on the lock file as long as it runs, and the
// system drops it when the copy ends in any way, so two copies started at
// the same moment leave exactly one running, and a file left behind (empty,
// unreadable, naming a process of another host) never keeps a copy out.
class SingleApplication : public QApplication {
    Q_OBJECT
public:
    SingleApplication(int& argc, char** argv, const QString& uniqueKey);
    ~SingleApplication() override;

    // True when another copy held the key at construction.
    bool isRunning() const { return m_running; }
    // Hands a text to the copy that runs (a second copy's file); false when
    // none answered.
    bool sendMessage(const QString& message, int timeoutMs = 2000);

signals:
    void messageAvailable(QString message);

public slots:
    void receiveMessage();

private:
    bool m_running = false;
    QString m_key;
    QSharedMemory m_sharedMemory;
    QLocalServer* m_localServer = nullptr;
    int m_lockFd = -1;
    // The user's own folder holds the lock and the socket, so that another
    // user's copy neither blocks nor hears this one.
    QString m_serverName;
};
