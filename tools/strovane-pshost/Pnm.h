#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Binary PGM and PPM images, 8 or 16 bits per sample: what the test host
// reads and writes without any image library, in 32-bit builds too.
struct PnmImage {
    int width = 0, height = 0, channels = 0; // 1 gray, 3 RGB
    int maxValue = 0;                        // 255 or 65535
    std::vector<uint16_t> samples;           // interleaved, row by row

    uint16_t& at(int x, int y, int c) { return samples[(std::size_t(y) * width + x) * channels + c]; }
};

// False with a reason.
bool readPnm(const std::string& path, PnmImage* image, std::string* error);
bool writePnm(const std::string& path, const PnmImage& image, std::string* error);
