#include "IpcSegment.h"

#include "SegmentLock.h"

#include <boost/interprocess/mapped_region.hpp>
#include <boost/interprocess/shared_memory_object.hpp>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace bip = boost::interprocess;

namespace {

constexpr std::size_t kWideInfoBytes = 24;
constexpr std::size_t kCompactInfoBytes = 20;

std::size_t infoBytes(IpcInfoLayout layout)
{
    return layout == IpcInfoLayout::Wide ? kWideInfoBytes : kCompactInfoBytes;
}
std::size_t lockOffset(IpcInfoLayout layout)
{
    return layout == IpcInfoLayout::Wide ? 8 : 4;
}

} // namespace

struct IpcSegment::Mapping {
    bip::shared_memory_object infoObject;
    bip::shared_memory_object payloadObject;
    bip::mapped_region infoRegion;
    bip::mapped_region payloadRegion;
    IpcInfoLayout layout = kIpcNativeLayout;

    unsigned char* info() const { return static_cast<unsigned char*>(infoRegion.get_address()); }
    SegmentLock lock() const { return SegmentLock(reinterpret_cast<std::uint32_t*>(info() + lockOffset(layout))); }
};

namespace {

IpcObjectFile fileOf(const std::string& name, const bip::shared_memory_object& object)
{
    IpcObjectFile file;
    file.path = IpcSegment::kShmFolder + name;
    struct stat st {};
    if (fstat(object.get_mapping_handle().handle, &st) == 0) {
        file.device = static_cast<unsigned long long>(st.st_dev);
        file.inode = static_cast<unsigned long long>(st.st_ino);
    }
    return file;
}

} // namespace

bool IpcObjectFile::stillNamed() const
{
    struct stat st {};
    return inode != 0 && lstat(path.c_str(), &st) == 0 && static_cast<unsigned long long>(st.st_dev) == device
        && static_cast<unsigned long long>(st.st_ino) == inode;
}

void IpcObjectFile::remove() const
{
    if (stillNamed())
        unlink(path.c_str());
}

std::string IpcSegment::userSuffix()
{
    return "-" + std::to_string(geteuid());
}

std::string IpcSegment::payloadName(const char* name)
{
    return std::string(name) + userSuffix();
}

std::string IpcSegment::infoName(const char* name)
{
    return std::string(name) + "Info" + userSuffix();
}

namespace {

// Only this user may open what the exchange creates.
const bip::permissions kUserOnly(0600);

// Removes a leftover of an earlier exchange; true when the name is free.
bool clear(const std::string& name)
{
    bip::shared_memory_object::remove(name.c_str());
    struct stat st {};
    return lstat((std::string(IpcSegment::kShmFolder) + name).c_str(), &st) != 0 && errno == ENOENT;
}

} // namespace

IpcSegment::IpcSegment(const char* name, std::size_t elementSize, std::uint64_t count, IpcInfoLayout layout)
    : m_payloadName(payloadName(name)), m_infoName(infoName(name)), m_elementSize(elementSize), m_map(new Mapping)
{
    const char* const payload = m_payloadName.c_str();
    const char* const info = m_infoName.c_str();
    if (count > 0) {
        m_map->layout = layout;
        if (elementSize == 0 || count > (std::numeric_limits<std::uint64_t>::max() - kGuardBytes) / elementSize)
            throw IpcError(IPC_ERR_OUT_OF_MEMORY, m_payloadName + ": segment too large");
        const std::uint64_t bytes = count * elementSize + kGuardBytes;
        for (const std::string& n : {m_payloadName, m_infoName})
            if (!clear(n))
                throw IpcError(IPC_ERR_NAME_TAKEN, std::string(kShmFolder) + n
                                   + " is in the way and cannot be removed (another user's, or no segment)");
        try {
            m_map->infoObject = bip::shared_memory_object(bip::create_only, info, bip::read_write, kUserOnly);
            m_map->payloadObject = bip::shared_memory_object(bip::create_only, payload, bip::read_write, kUserOnly);
        } catch (const bip::interprocess_exception& e) {
            throw IpcError(IPC_ERR_CREATE, m_payloadName + ": " + e.what());
        }
        try {
            m_map->infoObject.truncate(bip::offset_t(infoBytes(layout)));
            m_map->payloadObject.truncate(bip::offset_t(bytes));
        } catch (const bip::interprocess_exception& e) {
            if (e.get_error_code() == bip::out_of_space_error)
                throw IpcError(IPC_ERR_OUT_OF_MEMORY, m_payloadName + ": " + e.what());
            throw;
        } catch (const std::bad_alloc&) {
            throw IpcError(IPC_ERR_OUT_OF_MEMORY, m_payloadName + ": out of memory");
        }
        m_map->infoRegion = bip::mapped_region(m_map->infoObject, bip::read_write);
        m_map->payloadRegion = bip::mapped_region(m_map->payloadObject, bip::read_write);
        if (!m_map->payloadRegion.get_address())
            throw IpcError(IPC_ERR_CREATE, m_payloadName + ": no payload address");
        m_payloadFile = fileOf(m_payloadName, m_map->payloadObject);
        m_infoFile = fileOf(m_infoName, m_map->infoObject);
        std::memset(static_cast<unsigned char*>(this->payload()) + count * elementSize, kGuardValue, kGuardBytes);
        m_map->lock().construct();
        if (layout == IpcInfoLayout::Wide)
            std::memcpy(m_map->info(), &count, sizeof count);
        else {
            const std::uint32_t narrow = std::uint32_t(count);
            std::memcpy(m_map->info(), &narrow, sizeof narrow);
        }
        m_count = count;
        return;
    }

    // Attaching: the sizes come from the system, never from the record.
    m_map->layout = kIpcNativeLayout;
    try {
        m_map->infoObject = bip::shared_memory_object(bip::open_only, info, bip::read_write);
        m_map->payloadObject = bip::shared_memory_object(bip::open_only, payload, bip::read_write);
        // Names of ours that another user made are not an exchange of ours.
        for (const bip::shared_memory_object* object : {&m_map->infoObject, &m_map->payloadObject}) {
            struct stat st {};
            if (fstat(object->get_mapping_handle().handle, &st) != 0 || st.st_uid != geteuid()
                || !S_ISREG(st.st_mode))
                throw IpcError(IPC_ERR_ATTACH, std::string(object->get_name()) + ": not this user's segment");
        }
        bip::offset_t infoSize = 0;
        m_map->infoObject.get_size(infoSize);
        // The lock words of this build's layout must lie inside the object.
        if (std::size_t(infoSize) < lockOffset(kIpcNativeLayout) + 12)
            throw IpcError(IPC_ERR_ATTACH, m_payloadName + ": info record too small");
        m_map->infoRegion = bip::mapped_region(m_map->infoObject, bip::read_write);
        m_map->payloadRegion = bip::mapped_region(m_map->payloadObject, bip::read_write);
    } catch (const bip::interprocess_exception& e) {
        throw IpcError(IPC_ERR_ATTACH, m_payloadName + ": " + e.what());
    }
    m_payloadFile = fileOf(m_payloadName, m_map->payloadObject);
    m_infoFile = fileOf(m_infoName, m_map->infoObject);
    if (kIpcNativeLayout == IpcInfoLayout::Wide)
        std::memcpy(&m_count, m_map->info(), sizeof m_count);
    else {
        std::uint32_t narrow = 0;
        std::memcpy(&narrow, m_map->info(), sizeof narrow);
        m_count = narrow;
    }
}

IpcSegment::~IpcSegment() = default;

void* IpcSegment::payload() const
{
    return m_map ? m_map->payloadRegion.get_address() : nullptr;
}

std::uint64_t IpcSegment::mappedPayloadBytes() const
{
    return m_map ? m_map->payloadRegion.get_size() : 0;
}

std::uint64_t IpcSegment::elementsThatFit() const
{
    const std::uint64_t bytes = mappedPayloadBytes();
    return bytes < kGuardBytes ? 0 : (bytes - kGuardBytes) / m_elementSize;
}

bool IpcSegment::tryLock()
{
    return m_map && m_map->info() && m_map->lock().tryLock();
}

int IpcSegment::unlock()
{
    if (!m_map || !m_map->info())
        return IPC_ERR_NO_INFO;
    return m_map->lock().unlock() ? 0 : IPC_ERR_UNLOCK;
}

bool IpcSegment::breakStaleLock()
{
    return m_map && m_map->info() && m_map->lock().breakIfOwnerGone();
}

bool IpcSegment::guardIntact() const
{
    if (m_count > elementsThatFit())
        return false;
    const unsigned char* guard = static_cast<const unsigned char*>(payload()) + m_count * m_elementSize;
    for (std::size_t i = 0; i < kGuardBytes; ++i)
        if (guard[i] != kGuardValue)
            return false;
    return true;
}

void IpcSegment::removeNames()
{
    m_payloadFile.remove();
    m_infoFile.remove();
}

void IpcSegment::destroy()
{
    if (!m_map)
        return;
    removeNames();
    m_map.reset();
}
