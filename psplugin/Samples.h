#pragma once

#include <cstdint>

// Host samples to exchange samples (0..32767) and back. The host's 16-bit
// range is 0..32768; 8-bit samples are scaled by 128.
namespace Samples {

inline uint16_t from16(uint16_t v)
{
    return v < 32768 ? v : 32767;
}
inline uint16_t to16(uint16_t v)
{
    return v == 32767 ? 32768 : v >= 32769 ? 0 : v;
}
inline uint16_t from8(uint8_t v)
{
    return uint16_t(v * 128);
}
inline uint8_t to8(uint16_t v)
{
    return v >= 32769 ? 0 : uint8_t((v / 128) & 0xFF);
}

} // namespace Samples
