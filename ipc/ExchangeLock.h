#pragma once

#include "IPCParams.h"
#include "IpcSegment.h"

#include <string>

// One exchange at a time per user: the host holds this lock from before it
// makes the segments until it has removed them. It is an advisory lock on
// a file of the user's own beside the segments, which the system releases
// when the host ends in any way, so a crashed host never blocks the next
// exchange. Throws IpcError: IPC_ERR_BUSY while another exchange of this
// user runs, IPC_ERR_NAME_TAKEN when the name is not this user's file.
class ExchangeLock {
public:
    // base: the lock's name without the user's id.
    explicit ExchangeLock(const char* base = IPCLOCK);
    ~ExchangeLock();
    ExchangeLock(const ExchangeLock&) = delete;
    ExchangeLock& operator=(const ExchangeLock&) = delete;

    // The lock's object name ("__velmoraEffects_lock-<uid>").
    static std::string name(const char* base = IPCLOCK);
    // Removes the lock's name when no host holds it (one that ended without
    // removing it); leaves it to a host that does.
    static void sweep(const char* base = IPCLOCK);
    const IpcObjectFile& file() const { return m_file; }

private:
    int m_fd = -1;
    IpcObjectFile m_file;
};
