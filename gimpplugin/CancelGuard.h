#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// GIMP ends a plug-in whose progress the user cancels. A small child of the
// plug-in outlives it for this: when the plug-in goes before it is
// dismissed, it stops the painting program and removes the exchange's
// names, so that nothing is left running or mapped.
class CancelGuard {
public:
    CancelGuard(pid_t program, const std::vector<std::string>& shmPaths);
    ~CancelGuard();
    CancelGuard(const CancelGuard&) = delete;
    CancelGuard& operator=(const CancelGuard&) = delete;

private:
    pid_t m_guard = 0;
};
