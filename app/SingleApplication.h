#pragma once

#include <QApplication>
#include <QSharedMemory>

#include <memory>

class QLockFile;

class QLocalServer;

// The application object, which also keeps a second copy of the program
// from running: the first copy holds a lock file, a marker segment and a
// local socket under the same key. The lock file decides (taking it is
// atomic, and the lock of a copy that died is taken over), so two copies
// started at the same moment leave exactly one running.
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
    std::unique_ptr<QLockFile> m_lock;
    // The user's own folder holds the lock and the socket, so that another
    // user's copy neither blocks nor hears this one.
    QString m_serverName;
};
