#include "ExchangeSamples.h"

#include <gtest/gtest.h>

// Every 8-bit value (as GIMP widens it, v x 257) and every exchange value
// comes back unchanged; the ends map to the ends.
TEST(ExchangeSamples, EightBitAndExchangeValuesRoundTrip)
{
    using namespace ExchangeSamples;
    EXPECT_EQ(fromHost(0), 0);
    EXPECT_EQ(fromHost(65535), 32767);
    EXPECT_EQ(toHost(32767), 65535);
    EXPECT_EQ(toHost(40000), 65535) << "beyond the exchange's range: white";
    for (int v = 0; v < 256; ++v)
        ASSERT_EQ((toHost(fromHost(std::uint16_t(v * 257))) + 128) / 257, v) << v;
    for (int v = 0; v <= 32767; ++v)
        ASSERT_EQ(fromHost(toHost(std::uint16_t(v))), v) << v;
}
