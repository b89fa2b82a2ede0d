#pragma once

// The record and the segment names of one exchange between the filter
// plug-in and the program. The layout is shared with 32-bit plug-in builds
// and with hosts on other systems: fixed offsets, no implicit padding.

#include <cstddef>
#include <cstdint>

#define IPCPARAM "__velmoraEffects_param"
#define IPCSRCICC "__velmoraEffects_srcIcc"
#define IPCPLANE0 "__velmoraEffects_plane0"
#define IPCPLANE1 "__velmoraEffects_plane1"
#define IPCPLANE2 "__velmoraEffects_plane2"
// Held by the host for the whole of an exchange.
#define IPCLOCK "__velmoraEffects_lock"

enum IPCStatus : std::uint8_t {
    IPC_STATUS_DONE = 0,
    IPC_STATUS_CANCELLED = 1,
    IPC_STATUS_FAILED = 2,
    IPC_STATUS_PENDING = 255,
};

struct IPCParams {
    std::uint8_t dialogMode;   // 0: replayed without a dialog; else show the window
    std::uint8_t status;       // IPCStatus
    char message[258];         // failure text when status is 2
    std::int32_t width;
    std::int32_t height;
    std::int32_t rowBytes;     // ipcRowBytes(width)
    std::int32_t bytesPerSample;
    std::uint8_t reserved[4];
    std::int32_t isGray;
    std::int32_t iccSize;
    char presetId[100];
};

static_assert(offsetof(IPCParams, dialogMode) == 0, "IPCParams layout");
static_assert(offsetof(IPCParams, status) == 1, "IPCParams layout");
static_assert(offsetof(IPCParams, message) == 2, "IPCParams layout");
static_assert(offsetof(IPCParams, width) == 260, "IPCParams layout");
static_assert(offsetof(IPCParams, height) == 264, "IPCParams layout");
static_assert(offsetof(IPCParams, rowBytes) == 268, "IPCParams layout");
static_assert(offsetof(IPCParams, bytesPerSample) == 272, "IPCParams layout");
static_assert(offsetof(IPCParams, reserved) == 276, "IPCParams layout");
static_assert(offsetof(IPCParams, isGray) == 280, "IPCParams layout");
static_assert(offsetof(IPCParams, iccSize) == 284, "IPCParams layout");
static_assert(offsetof(IPCParams, presetId) == 288, "IPCParams layout");
static_assert(sizeof(IPCParams) == 388, "IPCParams layout");

// 2 to 16 spare bytes after every row of 16-bit samples.
constexpr std::int32_t ipcRowBytes(std::int32_t width)
{
    return ((2 * width) / 16 + 1) * 16;
}
// Extra bytes after the rows of a plane segment, and after a profile.
constexpr std::uint64_t kIpcPlaneSlack = 64;
constexpr std::uint64_t kIpcIccSlack = 100;
// A profile segment without a profile.
constexpr std::uint64_t kIpcNoIccCount = 16;

// Copies text into a fixed field, cut to fit, always terminated.
void ipcCopyText(char* field, std::size_t fieldSize, const char* text);

// The sizes of the segments one exchange maps, as the system reports them.
struct IPCSegmentSizes {
    std::uint64_t iccCount = 0;       // element count of the profile segment
    std::uint64_t planeCount[3] = {}; // element counts of the plane segments
};

// Whether the record, which another process wrote, fits the segments that
// were actually mapped. Null when it does; else a message naming the field.
const char* ipcCheckRecord(const IPCParams& params, const IPCSegmentSizes& sizes);
