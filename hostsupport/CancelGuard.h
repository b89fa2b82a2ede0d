#pragma once

#include <IpcSegment.h>

#include <sys/types.h>
#include <vector>

// GIMP ends a plug-in whose progress the user cancels. A small child of the
// plug-in outlives it for this: when the plug-in goes before it is
// dismissed, it stops the painting program and removes the names of this
// exchange (those that still stand for its files), so that nothing is left
// running or mapped.
class CancelGuard {
public:
    CancelGuard(pid_t program, const std::vector<IpcObjectFile>& files);
    ~CancelGuard();
    CancelGuard(const CancelGuard&) = delete;
    CancelGuard& operator=(const CancelGuard&) = delete;

private:
    pid_t m_guard = 0;
};
