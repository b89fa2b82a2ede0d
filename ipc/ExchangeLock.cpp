#include "ExchangeLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ExchangeLock::name(const char* base)
{
    return base + IpcSegment::userSuffix();
}

ExchangeLock::ExchangeLock(const char* base)
{
    const std::string n = "/" + name(base);
    const std::string path = IpcSegment::kShmFolder + name(base);
    for (;;) {
        const int fd = shm_open(n.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            throw IpcError(IPC_ERR_NAME_TAKEN, path + " cannot be opened: " + std::strerror(errno));
        struct stat own {};
        if (fstat(fd, &own) != 0 || own.st_uid != geteuid() || !S_ISREG(own.st_mode)) {
            close(fd);
            throw IpcError(IPC_ERR_NAME_TAKEN, path + " belongs to another user");
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            if (error == EWOULDBLOCK)
                throw IpcError(IPC_ERR_BUSY, "Another Strovane filter is running for this user; finish it first.");
            throw IpcError(IPC_ERR_NAME_TAKEN, path + " cannot be locked: " + std::strerror(error));
        }
        // The holder before us may have removed the name after we opened
        // it: only the lock on the file the name stands for counts.
        struct stat named {};
        if (stat(path.c_str(), &named) == 0 && named.st_dev == own.st_dev && named.st_ino == own.st_ino) {
            m_fd = fd;
            m_file = {path, static_cast<unsigned long long>(own.st_dev), static_cast<unsigned long long>(own.st_ino)};
            return;
        }
        close(fd);
    }
}

ExchangeLock::~ExchangeLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that whoever comes next opens a new file.
    m_file.remove();
    close(m_fd);
}

void ExchangeLock::sweep(const char* base)
{
    try {
        ExchangeLock taken(base);
    } catch (const IpcError&) {
    }
}
