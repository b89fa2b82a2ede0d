#include "IpcSegment.h"

#include "SegmentLock.h"

#include <boost/interprocess/mapped_region.hpp>
#include <boost/interprocess/shared_memory_object.hpp>

#include <cstring>
#include <limits>
#include <new>

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

IpcSegment::IpcSegment(const char* name, std::size_t elementSize, std::uint64_t count, IpcInfoLayout layout)
    : m_name(name), m_elementSize(elementSize), m_map(new Mapping)
{
    const std::string info = infoName(name);
    if (count > 0) {
        m_map->layout = layout;
        if (elementSize == 0 || count > (std::numeric_limits<std::uint64_t>::max() - kGuardBytes) / elementSize)
            throw IpcError(IPC_ERR_OUT_OF_MEMORY, std::string(name) + ": segment too large");
        const std::uint64_t bytes = count * elementSize + kGuardBytes;
        bip::shared_memory_object::remove(name);
        bip::shared_memory_object::remove(info.c_str());
        try {
            m_map->infoObject = bip::shared_memory_object(bip::create_only, info.c_str(), bip::read_write);
            m_map->payloadObject = bip::shared_memory_object(bip::create_only, name, bip::read_write);
        } catch (const bip::interprocess_exception& e) {
            throw IpcError(IPC_ERR_CREATE, std::string(name) + ": " + e.what());
        }
        try {
            m_map->infoObject.truncate(bip::offset_t(infoBytes(layout)));
            m_map->payloadObject.truncate(bip::offset_t(bytes));
        } catch (const bip::interprocess_exception& e) {
            if (e.get_error_code() == bip::out_of_space_error)
                throw IpcError(IPC_ERR_OUT_OF_MEMORY, std::string(name) + ": " + e.what());
            throw;
        } catch (const std::bad_alloc&) {
            throw IpcError(IPC_ERR_OUT_OF_MEMORY, std::string(name) + ": out of memory");
        }
        m_map->infoRegion = bip::mapped_region(m_map->infoObject, bip::read_write);
        m_map->payloadRegion = bip::mapped_region(m_map->payloadObject, bip::read_write);
        if (!m_map->payloadRegion.get_address())
            throw IpcError(IPC_ERR_CREATE, std::string(name) + ": no payload address");
        std::memset(static_cast<unsigned char*>(payload()) + count * elementSize, kGuardValue, kGuardBytes);
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
        m_map->infoObject = bip::shared_memory_object(bip::open_only, info.c_str(), bip::read_write);
        m_map->payloadObject = bip::shared_memory_object(bip::open_only, name, bip::read_write);
        bip::offset_t infoSize = 0;
        m_map->infoObject.get_size(infoSize);
        // The lock words of this build's layout must lie inside the object.
        if (std::size_t(infoSize) < lockOffset(kIpcNativeLayout) + 12)
            throw IpcError(IPC_ERR_ATTACH, std::string(name) + ": info record too small");
        m_map->infoRegion = bip::mapped_region(m_map->infoObject, bip::read_write);
        m_map->payloadRegion = bip::mapped_region(m_map->payloadObject, bip::read_write);
    } catch (const bip::interprocess_exception& e) {
        throw IpcError(IPC_ERR_ATTACH, std::string(name) + ": " + e.what());
    }
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

void IpcSegment::destroy()
{
    if (!m_map)
        return;
    m_map.reset();
    bip::shared_memory_object::remove(m_name);
    bip::shared_memory_object::remove(infoName(m_name).c_str());
}
