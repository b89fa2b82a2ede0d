#pragma once

#include <QApplication>
#include <QSharedMemory>

class QLocalServer;

// The application object, which also keeps a second copy of the program
// from running: the first copy holds a marker segment and listens on a
// local socket under the same key.
class SingleApplication : public QApplication {
    Q_OBJECT
public:
    SingleApplication(int& argc, char** argv, const QString& uniqueKey);

    // True when another copy held the key at construction.
    bool isRunning() const { return m_running; }

signals:
    void messageAvailable(QString message);

public slots:
    void receiveMessage();

private:
    // A segment left behind by a copy that crashed has nobody listening.
    bool firstCopyAnswers() const;

    bool m_running = false;
    QString m_key;
    QSharedMemory m_sharedMemory;
    QLocalServer* m_localServer = nullptr;
};
