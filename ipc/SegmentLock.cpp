#include "SegmentLock.h"

#include <cerrno>
#include <csignal>
#include <sys/syscall.h>
#include <unistd.h>

std::uint32_t SegmentLock::currentThreadId()
{
    return std::uint32_t(syscall(SYS_gettid));
}

void SegmentLock::construct()
{
    __atomic_store_n(ownerWord(), kNoOwner, __ATOMIC_RELAXED);
    __atomic_store_n(count(), 0u, __ATOMIC_RELAXED);
    __atomic_store_n(state(), 0u, __ATOMIC_RELEASE);
}

bool SegmentLock::tryLock()
{
    const std::uint32_t me = currentThreadId();
    std::uint32_t expected = 0;
    if (__atomic_compare_exchange_n(state(), &expected, 1u, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED)) {
        __atomic_store_n(ownerWord(), me, __ATOMIC_RELAXED);
        __atomic_store_n(count(), 1u, __ATOMIC_RELAXED);
        return true;
    }
    if (__atomic_load_n(ownerWord(), __ATOMIC_RELAXED) == me) {
        __atomic_add_fetch(count(), 1u, __ATOMIC_RELAXED);
        return true;
    }
    return false;
}

bool SegmentLock::unlock()
{
    if (__atomic_load_n(state(), __ATOMIC_ACQUIRE) != 1 || owner() != currentThreadId())
        return false;
    if (__atomic_sub_fetch(count(), 1u, __ATOMIC_RELAXED) == 0) {
        __atomic_store_n(ownerWord(), kNoOwner, __ATOMIC_RELAXED);
        __atomic_store_n(state(), 0u, __ATOMIC_RELEASE);
    }
    return true;
}

std::uint32_t SegmentLock::owner() const
{
    return __atomic_load_n(ownerWord(), __ATOMIC_RELAXED);
}

bool SegmentLock::breakIfOwnerGone()
{
    if (__atomic_load_n(state(), __ATOMIC_ACQUIRE) == 0)
        return false;
    const std::uint32_t holder = owner();
    // A holder between taking the state word and writing its id: alive.
    if (holder == kNoOwner || holder == 0)
        return false;
    if (kill(pid_t(holder), 0) == 0 || errno != ESRCH)
        return false;
    construct();
    return true;
}
