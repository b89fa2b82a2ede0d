// The exchange record another process wrote, with segment sizes of any
// value: the check must refuse what does not fit, and what it lets through
// must be readable and writable within the segments.
#include "FuzzInput.h"

#include <IPCParams.h>
#include <ImageIOManager.h>

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::init(argc, argv);
    return 0;
}

// Input: the 388-byte record, four 64-bit segment element counts (profile,
// planes 0 to 2), then the bytes of the profile.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IPCParams params;
    IPCSegmentSizes sizes;
    if (size < sizeof params + 4 * sizeof(std::uint64_t))
        return 0;
    std::memcpy(&params, data, sizeof params);
    std::uint64_t counts[4];
    std::memcpy(counts, data + sizeof params, sizeof counts);
    // Segments larger than 4 MB would only cost memory here; the check
    // itself sees every value.
    sizes.iccCount = counts[0];
    for (int i = 0; i < 3; ++i)
        sizes.planeCount[i] = counts[i + 1];
    if (ipcCheckRecord(params, sizes))
        return 0;
    constexpr std::uint64_t kMapped = 4u << 20;
    if (sizes.iccCount > kMapped || std::max({counts[1], counts[2], counts[3]}) > kMapped)
        return 0;

    // The segments, exactly as large as reported, so that the sanitizer
    // sees any access beyond them.
    const std::uint8_t* rest = data + sizeof params + sizeof counts;
    const std::size_t restSize = size - sizeof params - sizeof counts;
    std::vector<std::uint8_t> profile(rest, rest + std::min<std::size_t>(restSize, sizes.iccCount));
    profile.resize(sizes.iccCount);
    std::vector<std::uint8_t> planes[3];
    for (int i = 0; i < 3; ++i)
        planes[i].assign(sizes.planeCount[i], std::uint8_t(0x40 + i));

    cv::Mat image;
    if (ImageIOManager::loadFromPS(params.width, params.height, planes[0].data(), planes[1].data(), planes[2].data(),
                                   params.rowBytes, params.bytesPerSample, params.isGray != 0, profile.data(),
                                   params.iccSize, image)) {
        ImageIOManager::saveToPS(params.width, params.height, planes[0].data(), planes[1].data(), planes[2].data(),
                                 params.rowBytes, params.bytesPerSample, params.isGray != 0, profile.data(),
                                 params.iccSize, image);
    }
    return 0;
}
