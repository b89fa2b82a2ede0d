#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Errors of creating and attaching segments, with the codes both sides
// report.
enum IpcErrorCode {
    IPC_ERR_OUT_OF_MEMORY = -1000,
    IPC_ERR_NO_INFO = -1001,
    IPC_ERR_UNLOCK = -1002,
    IPC_ERR_ATTACH = -1004,
    IPC_ERR_CREATE = -1006,
    // A name of ours is held by another user (or is no segment) and cannot
    // be replaced.
    IPC_ERR_NAME_TAKEN = -1007,
    // Another exchange of this user is running.
    IPC_ERR_BUSY = -1008,
};

// A shared-memory object as the file the system shows it as, and which
// file that was when it was opened: a name is removed only while it still
// stands for that file.
struct IpcObjectFile {
    std::string path;
    unsigned long long device = 0, inode = 0;

    bool stillNamed() const;
    // Removes the name while it still stands for the file.
    void remove() const;
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
// lock), both POSIX shared memory mapped whole, readable by their user
// only. Each name carries the user's id ("-1000"), so that users never
// meet in each other's exchange.
class IpcSegment {
public:
    static constexpr std::size_t kGuardBytes = 16;
    static constexpr std::uint8_t kGuardValue = 8;

    // count > 0 creates the segment (removing a leftover of the same name
    // first), count 0 attaches to an existing one of this user. Throws
    // IpcError.
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
    // Removes both names while they still name this segment's objects (a
    // later exchange may have made new ones under them); the mapping stays.
    void removeNames();
    // The payload's and the info's files.
    std::vector<IpcObjectFile> files() const { return {m_payloadFile, m_infoFile}; }

    // The object names of the segment called name: name + "-" + user id,
    // and name + "Info-" + user id.
    static std::string payloadName(const char* name);
    static std::string infoName(const char* name);
    static std::string userSuffix();

    // Where the system shows the objects as files.
    static constexpr const char* kShmFolder = "/dev/shm/";

private:
    struct Mapping;
    const std::string m_payloadName;
    const std::string m_infoName;
    IpcObjectFile m_payloadFile, m_infoFile;
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
