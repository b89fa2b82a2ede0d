#include "CancelGuard.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

CancelGuard::CancelGuard(pid_t program, const std::vector<IpcObjectFile>& files)
{
    if (program <= 0)
        return;
    const pid_t parent = getpid();
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, SIGUSR1);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &wake, &previous);
    m_guard = fork();
    if (m_guard == 0) {
        prctl(PR_SET_NAME, "strovane-guard");
        prctl(PR_SET_PDEATHSIG, SIGUSR1);
        if (getppid() == parent) {
            int signal = 0;
            sigwait(&wake, &signal);
        }
        kill(program, SIGTERM);
        // Made before the fork: the child only makes system calls.
        for (const IpcObjectFile& f : files)
            f.remove();
        _exit(0);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (m_guard < 0)
        m_guard = 0;
}

CancelGuard::~CancelGuard()
{
    if (m_guard <= 0)
        return;
    // Dismissed: the plug-in finishes the exchange itself.
    kill(m_guard, SIGKILL);
    waitpid(m_guard, nullptr, 0);
}
