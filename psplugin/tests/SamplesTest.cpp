#include "Samples.h"

#include <gtest/gtest.h>

TEST(Samples, HostSamplesIntoTheExchangeAndBack)
{
    struct Case {
        int bits;
        unsigned host, exchange, back;
    } cases[] = {
        {8, 0, 0, 0},         {8, 1, 128, 1},         {8, 255, 32640, 255},
        {16, 0, 0, 0},        {16, 32767, 32767, 32768}, {16, 32768, 32767, 32768},
        {16, 40000, 32767, 32768}, {16, 12345, 12345, 12345},
    };
    for (const Case& c : cases) {
        const unsigned in = c.bits == 8 ? Samples::from8(uint8_t(c.host)) : Samples::from16(uint16_t(c.host));
        EXPECT_EQ(in, c.exchange) << c.bits << " bit " << c.host;
        const unsigned out = c.bits == 8 ? Samples::to8(uint16_t(in)) : Samples::to16(uint16_t(in));
        EXPECT_EQ(out, c.back) << c.bits << " bit " << c.host;
    }
    // What the program may write that no host sample gives.
    EXPECT_EQ(Samples::to16(32768), 32768);
    EXPECT_EQ(Samples::to8(32768), 0);
    EXPECT_EQ(Samples::to16(32769), 0);
    EXPECT_EQ(Samples::to8(65535), 0);
    EXPECT_EQ(Samples::to8(32767), 255);
}
