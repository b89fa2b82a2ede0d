#include "IPCParams.h"

#include <cstring>

void ipcCopyText(char* field, std::size_t fieldSize, const char* text)
{
    if (fieldSize == 0)
        return;
    std::size_t n = 0;
    while (text && n + 1 < fieldSize && text[n])
        ++n;
    if (n > 0)
        std::memcpy(field, text, n);
    std::memset(field + n, 0, fieldSize - n);
}

// Larger than any image a host hands a filter; keeps every product below
// in 64 bits.
static constexpr std::int32_t kMaxSide = 1 << 20;

const char* ipcCheckRecord(const IPCParams& p, const IPCSegmentSizes& sizes)
{
    if (p.width <= 0 || p.width > kMaxSide)
        return "width out of range";
    if (p.height <= 0 || p.height > kMaxSide)
        return "height out of range";
    if (p.bytesPerSample != 2)
        return "bytesPerSample is not 2";
    if (p.rowBytes < 2 * p.width || p.rowBytes % 2 != 0)
        return "rowBytes does not hold a row of samples";
    const std::uint64_t planeBytes = std::uint64_t(p.rowBytes) * std::uint64_t(p.height);
    for (int i = 0; i < 3; ++i) {
        if (planeBytes > sizes.planeCount[i]) {
            static const char* const names[3] = {"rowBytes x height exceeds plane 0", "rowBytes x height exceeds plane 1",
                                                 "rowBytes x height exceeds plane 2"};
            return names[i];
        }
    }
    if (p.isGray != 0 && p.isGray != 1)
        return "isGray is neither 0 nor 1";
    if (p.iccSize < 0 || std::uint64_t(p.iccSize) > sizes.iccCount)
        return "iccSize exceeds the profile segment";
    if (!std::memchr(p.presetId, 0, sizeof p.presetId))
        return "presetId is not terminated";
    return nullptr;
}
