#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Errors of creating and attaching segments, with the codes both sides
// report.
enum IpcErrorCode {
    IPC_ERR_OUT_OF_MEMORY = -1000,
    IPC_ERR_NO_INFO = -1001,
    IPC_ERR_UNLOCK = -1002,
    IPC_ERR_ATTACH = -1004,
    IPC_ERR_CREATE = -1006,
};

class IpcError : public std::runtime_error {
public:
    IpcError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// How the creator lays the info record out: a 64-bit element count (24
// bytes) or, in 32-bit builds, a 32-bit one (20 bytes). Readers always use
// the layout of their own build; see the lock's note on why a 64-bit reader
// reads a free 32-bit record correctly.
enum class IpcInfoLayout { Wide, Compact };
constexpr IpcInfoLayout kIpcNativeLayout = sizeof(void*) == 8 ? IpcInfoLayout::Wide : IpcInfoLayout::Compact;

// One exchange segment: a payload object N (elementCount elements, then a
// 16-byte end guard) and an info object N + "Info" (element count and
// lock), both POSIX shared memory mapped whole.
class IpcSegment {
public:
    static constexpr std::size_t kGuardBytes = 16;
    static constexpr std::uint8_t kGuardValue = 8;

    // count > 0 creates the segment (removing a leftover of the same name
    // first), count 0 attaches to an existing one. Throws IpcError.
    IpcSegment(const char* name, std::size_t elementSize, std::uint64_t count,
               IpcInfoLayout layout = kIpcNativeLayout);
    ~IpcSegment();
    IpcSegment(const IpcSegment&) = delete;
    IpcSegment& operator=(const IpcSegment&) = delete;

    void* payload() const;
    std::uint64_t elementCount() const { return m_count; }
    // The payload object's size as the system reports it.
    std::uint64_t mappedPayloadBytes() const;
    // Elements that fit the mapped payload object together with the guard.
    std::uint64_t elementsThatFit() const;

    bool tryLock();
    // 0; IPC_ERR_NO_INFO without an info record; IPC_ERR_UNLOCK when the
    // caller does not hold the lock.
    int unlock();
    // Frees the lock when its holder no longer exists.
    bool breakStaleLock();
    // The 16 bytes after the payload all hold 8 (and lie inside the object).
    bool guardIntact() const;

    // Unmaps, closes and removes both names. The other side keeps its view.
    void destroy();

    static std::string infoName(const char* name) { return std::string(name) + "Info"; }

private:
    struct Mapping;
    const char* m_name;
    std::size_t m_elementSize;
    std::uint64_t m_count = 0;
    std::unique_ptr<Mapping> m_map;
};

// The typed wrapper both sides use.
template <typename T>
class CVMIPC : public IpcSegment {
public:
    CVMIPC(const char* name, std::uint64_t count, IpcInfoLayout layout = kIpcNativeLayout)
        : IpcSegment(name, sizeof(T), count, layout)
    {
    }
    T* data() const { return static_cast<T*>(payload()); }
};
