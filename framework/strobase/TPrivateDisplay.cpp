#include "TPrivateDisplay.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Xvfb says its display number on this pipe once it accepts clients.
constexpr int kStartTimeoutMs = 15000;

} // namespace

TPrivateDisplay::~TPrivateDisplay()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
}

bool TPrivateDisplay::ensure(QString* error)
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || m_pid > 0)
        return true;
    int fds[2];
    if (pipe(fds) != 0) {
        *error = QStringLiteral("no X display, and none could be started: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const QByteArray fd = QByteArray::number(fds[1]);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, STDIN_FILENO);
        dup2(devnull, STDOUT_FILENO);
        dup2(devnull, STDERR_FILENO);
        // It ends with us, however we end.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.constData(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        *error = QStringLiteral("no X display, and none could be started: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_pid = pid;
    QByteArray number;
    pollfd p{fds[0], POLLIN, 0};
    while (!number.endsWith('\n') && poll(&p, 1, kStartTimeoutMs) > 0) {
        char c[16];
        const ssize_t n = read(fds[0], c, sizeof c);
        if (n <= 0)
            break;
        number.append(c, int(n));
    }
    close(fds[0]);
    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    if (!ok) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = 0;
        *error = QStringLiteral("no X display, and Xvfb could not be started (install the xvfb package, or run "
                                "under a desktop or xvfb-run)");
        return false;
    }
    qputenv("DISPLAY", ":" + QByteArray::number(display));
    return true;
}
