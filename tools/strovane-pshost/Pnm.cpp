#include "Pnm.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The next header number, past blanks and comments.
bool headerNumber(FILE* f, int* value)
{
    int c = std::fgetc(f);
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = std::fgetc(f);
        c = std::fgetc(f);
    }
    if (c < '0' || c > '9')
        return false;
    long v = 0;
    while (c >= '0' && c <= '9' && v < 1000000) {
        v = v * 10 + (c - '0');
        c = std::fgetc(f);
    }
    *value = int(v);
    return true;
}

} // namespace

bool readPnm(const std::string& path, PnmImage* image, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    char magic[2] = {};
    PnmImage im;
    const bool ok = std::fread(magic, 1, 2, f) == 2 && magic[0] == 'P' && (magic[1] == '5' || magic[1] == '6')
                    && headerNumber(f, &im.width) && headerNumber(f, &im.height) && headerNumber(f, &im.maxValue)
                    && im.width > 0 && im.height > 0 && im.width <= 100000 && im.height <= 100000
                    && (im.maxValue == 255 || im.maxValue == 65535);
    if (!ok) {
        std::fclose(f);
        *error = path + ": not a binary PGM or PPM of 8 or 16 bits";
        return false;
    }
    im.channels = magic[1] == '5' ? 1 : 3;
    const std::size_t count = std::size_t(im.width) * im.height * im.channels;
    const int bytes = im.maxValue == 255 ? 1 : 2;
    std::vector<unsigned char> raw(count * bytes);
    const bool complete = std::fread(raw.data(), 1, raw.size(), f) == raw.size();
    std::fclose(f);
    if (!complete) {
        *error = path + ": truncated";
        return false;
    }
    im.samples.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        im.samples[i] = bytes == 1 ? raw[i] : uint16_t(raw[2 * i] << 8 | raw[2 * i + 1]);
    *image = im;
    return true;
}

bool writePnm(const std::string& path, const PnmImage& image, std::string* error)
{
    const std::string temporary = path + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::fprintf(f, "P%c\n%d %d\n%d\n", image.channels == 1 ? '5' : '6', image.width, image.height, image.maxValue);
    const int bytes = image.maxValue == 255 ? 1 : 2;
    std::vector<unsigned char> raw(image.samples.size() * bytes);
    for (std::size_t i = 0; i < image.samples.size(); ++i) {
        if (bytes == 1) {
            raw[i] = uint8_t(image.samples[i]);
        } else {
            raw[2 * i] = uint8_t(image.samples[i] >> 8);
            raw[2 * i + 1] = uint8_t(image.samples[i]);
        }
    }
    const bool written = std::fwrite(raw.data(), 1, raw.size(), f) == raw.size();
    if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        *error = path + ": cannot be written";
        return false;
    }
    return true;
}
