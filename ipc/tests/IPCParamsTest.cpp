#include "IPCParams.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(IPCParams, RowBytesLeaveTwoToSixteenSpareBytes)
{
    struct Case {
        int width, rowBytes;
    } cases[] = {{1, 16}, {7, 16}, {8, 32}, {9, 32}, {15, 32}, {16, 48}, {17, 48}, {63, 128}, {64, 144}, {65, 144}};
    for (const Case& c : cases) {
        EXPECT_EQ(ipcRowBytes(c.width), c.rowBytes) << "width " << c.width;
        const int spare = c.rowBytes - 2 * c.width;
        EXPECT_GE(spare, 2);
        EXPECT_LE(spare, 16);
    }
}

TEST(IPCParams, TextCopiesAreCutToTheFieldAndTerminated)
{
    char field[8];
    std::memset(field, 'x', sizeof field);
    ipcCopyText(field, sizeof field, "a longer text than fits");
    EXPECT_STREQ(field, "a longe");
    ipcCopyText(field, sizeof field, "ab");
    EXPECT_STREQ(field, "ab");
    EXPECT_EQ(field[7], 0) << "the rest is cleared";
    ipcCopyText(field, sizeof field, nullptr);
    EXPECT_STREQ(field, "");
}

namespace {

// A sound record of 100 x 50 pixels with its segments.
struct Record {
    IPCParams p{};
    IPCSegmentSizes sizes;
    Record()
    {
        p.status = IPC_STATUS_PENDING;
        p.width = 100;
        p.height = 50;
        p.rowBytes = ipcRowBytes(100);
        p.bytesPerSample = 2;
        p.iccSize = 3000;
        ipcCopyText(p.presetId, sizeof p.presetId, "{a-preset}");
        sizes.iccCount = 3100;
        for (auto& n : sizes.planeCount)
            n = std::uint64_t(p.rowBytes) * 50 + 64;
    }
};

} // namespace

TEST(IPCParams, RecordsThatDoNotFitTheirSegmentsAreRefusedNamingTheField)
{
    EXPECT_EQ(ipcCheckRecord(Record().p, Record().sizes), nullptr);

    struct Case {
        const char* what;
        void (*spoil)(Record&);
        const char* field;
    } cases[] = {
        {"rows longer than the plane", [](Record& r) { r.p.rowBytes = 4096; }, "rowBytes"},
        {"more rows than the planes", [](Record& r) { r.p.height = 51; }, "plane 0"},
        {"a short third plane", [](Record& r) { r.sizes.planeCount[2] -= 65; }, "plane 2"},
        {"a small second plane", [](Record& r) { r.sizes.planeCount[1] = 10; }, "plane 1"},
        {"rows shorter than the samples", [](Record& r) { r.p.rowBytes = 198; }, "rowBytes"},
        {"an odd row", [](Record& r) { r.p.rowBytes = 201; }, "rowBytes"},
        {"a negative height", [](Record& r) { r.p.height = -50; }, "height"},
        {"a zero width", [](Record& r) { r.p.width = 0; }, "width"},
        {"a width whose rows overflow 32 bits", [](Record& r) { r.p.width = 0x40000000; }, "width"},
        {"8-bit samples", [](Record& r) { r.p.bytesPerSample = 1; }, "bytesPerSample"},
        {"a profile beyond its segment", [](Record& r) { r.p.iccSize = 3101; }, "iccSize"},
        {"a negative profile size", [](Record& r) { r.p.iccSize = -1; }, "iccSize"},
        {"an unterminated preset id", [](Record& r) { std::memset(r.p.presetId, 'a', sizeof r.p.presetId); }, "presetId"},
        {"a gray flag of 7", [](Record& r) { r.p.isGray = 7; }, "isGray"},
    };
    for (const Case& c : cases) {
        Record r;
        c.spoil(r);
        const char* message = ipcCheckRecord(r.p, r.sizes);
        ASSERT_NE(message, nullptr) << c.what;
        EXPECT_NE(std::strstr(message, c.field), nullptr) << c.what << ": " << message;
    }
}

TEST(IPCParams, ARecordWithoutAProfileFitsAProfileSegmentOfSixteen)
{
    Record r;
    r.p.iccSize = 0;
    r.sizes.iccCount = kIpcNoIccCount;
    EXPECT_EQ(ipcCheckRecord(r.p, r.sizes), nullptr);
}
