#pragma once

#include <cstdint>

// GIMP's 16-bit samples (0..65535) to exchange samples (0..32767) and back,
// rounded both ways: an 8-bit or 15-bit value comes back as it went.
namespace ExchangeSamples {

constexpr std::uint16_t fromHost(std::uint16_t v)
{
    return std::uint16_t((std::uint32_t(v) * 32767u + 32767u) / 65535u);
}
constexpr std::uint16_t toHost(std::uint16_t v)
{
    return v >= 32767 ? 65535 : std::uint16_t((std::uint32_t(v) * 65535u + 16383u) / 32767u);
}

} // namespace ExchangeSamples
