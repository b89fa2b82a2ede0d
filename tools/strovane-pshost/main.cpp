// strovane-pshost: a small image-editor host for testing the filter
// plug-in. It loads a plug-in library, holds an image read from a PGM or
// PPM file, runs a filter call on it as the editor would (the selectors in
// order, the image handed out and taken back through advanceState), and
// writes the result. It prints what the plug-in asked for and showed, one
// line each, and keeps the plug-in's parameters and recorded action in a
// state file between runs.
#include "Pnm.h"

#include "../../psplugin/host/PIFilter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const char* const kUsage =
    "usage: strovane-pshost PLUGIN IN.pnm OUT.pnm [options]\n"
    "       strovane-pshost PLUGIN --info | --about\n"
    "  --rect L,T,R,B      filter this rectangle only (a selection)\n"
    "  --icc FILE          the document's colour profile\n"
    "  --no-icc-support    offer no colour profiles to the plug-in\n"
    "  --no-padding        the host cannot pad requests\n"
    "  --no-sampling       the host cannot sample requests\n"
    "  --no-big-document   only 16-bit coordinates\n"
    "  --cancel-after MS   the abort procedure answers yes after MS ms of the start\n"
    "  --plip N            the host's 'plip' property\n"
    "  --state FILE        parameters and recorded action, kept between runs\n"
    "  --replay off|on     play the recorded action with its dialog off or on\n";

// ---- handles: plain byte blocks -------------------------------------------

Handle newHandle(int32_t size)
{
    if (size < 0)
        return nullptr;
    return reinterpret_cast<Handle>(new std::vector<char>(std::size_t(size), 0));
}
std::vector<char>& bytesOf(Handle h)
{
    return *reinterpret_cast<std::vector<char>*>(h);
}
void disposeHandle(Handle h)
{
    delete reinterpret_cast<std::vector<char>*>(h);
}
int32_t handleSize(Handle h)
{
    return int32_t(bytesOf(h).size());
}
char* lockHandle(Handle h, Boolean)
{
    return h ? bytesOf(h).data() : nullptr;
}
void unlockHandle(Handle) {}

HandleProcs handleProcs = {newHandle, disposeHandle, handleSize, lockHandle, unlockHandle};

// ---- descriptors: key (4 bytes), length byte, characters, ... ------------

struct ReadToken {
    std::vector<std::pair<DescriptorKeyID, std::string>> entries;
    std::size_t next = 0;
    std::string current;
};
struct WriteToken {
    std::vector<std::pair<DescriptorKeyID, std::string>> entries;
};

std::vector<std::pair<DescriptorKeyID, std::string>> parseDescriptor(Handle h)
{
    std::vector<std::pair<DescriptorKeyID, std::string>> entries;
    const std::vector<char>& b = bytesOf(h);
    std::size_t i = 0;
    while (i + 5 <= b.size()) {
        DescriptorKeyID key;
        std::memcpy(&key, b.data() + i, 4);
        const std::size_t n = uint8_t(b[i + 4]);
        if (i + 5 + n > b.size())
            break;
        entries.emplace_back(key, std::string(b.data() + i + 5, n));
        i += 5 + n;
    }
    return entries;
}

PIReadDescriptor openRead(PIDescriptorHandle descriptor, const DescriptorKeyID*)
{
    if (!descriptor)
        return nullptr;
    auto* token = new ReadToken;
    token->entries = parseDescriptor(descriptor);
    return reinterpret_cast<PIReadDescriptor>(token);
}
OSErr closeRead(PIReadDescriptor token)
{
    delete reinterpret_cast<ReadToken*>(token);
    return noErr;
}
Boolean getKey(PIReadDescriptor t, DescriptorKeyID* key, DescriptorTypeID* type, int32_t* flags)
{
    auto* token = reinterpret_cast<ReadToken*>(t);
    if (token->next >= token->entries.size())
        return false;
    *key = token->entries[token->next].first;
    token->current = token->entries[token->next].second;
    *type = PIChars("TEXT");
    *flags = 0;
    ++token->next;
    return true;
}
OSErr getString(PIReadDescriptor t, unsigned char* str255)
{
    const std::string& s = reinterpret_cast<ReadToken*>(t)->current;
    str255[0] = uint8_t(s.size());
    std::memcpy(str255 + 1, s.data(), s.size());
    return noErr;
}
PIWriteDescriptor openWrite()
{
    return reinterpret_cast<PIWriteDescriptor>(new WriteToken);
}
OSErr putString(PIWriteDescriptor t, DescriptorKeyID key, const unsigned char* str255)
{
    reinterpret_cast<WriteToken*>(t)->entries.emplace_back(key, std::string(reinterpret_cast<const char*>(str255 + 1), str255[0]));
    return noErr;
}
OSErr closeWrite(PIWriteDescriptor t, PIDescriptorHandle* descriptor)
{
    std::unique_ptr<WriteToken> token(reinterpret_cast<WriteToken*>(t));
    std::vector<char> bytes;
    for (const auto& e : token->entries) {
        const char* key = reinterpret_cast<const char*>(&e.first);
        bytes.insert(bytes.end(), key, key + 4);
        bytes.push_back(char(uint8_t(e.second.size())));
        bytes.insert(bytes.end(), e.second.begin(), e.second.end());
    }
    *descriptor = newHandle(int32_t(bytes.size()));
    std::memcpy(bytesOf(*descriptor).data(), bytes.data(), bytes.size());
    return noErr;
}

ReadDescriptorProcs readProcs = {openRead, closeRead, getKey, getString};
WriteDescriptorProcs writeProcs = {openWrite, closeWrite, putString};

// ---- the host's side of a filter call -------------------------------------

struct Options {
    std::string plugin, input, output, icc, state, replay;
    VRect rect{0, 0, 0, 0};
    bool hasRect = false, iccSupport = true, padding = true, sampling = true, bigDocument = true;
    long cancelAfterMs = -1;
    long plip = 0;
};

struct Host {
    Options options;
    PnmImage image;
    // Samples in the host's range: 0..255, or 0..32768 at 16 bits.
    std::vector<uint16_t> pixels;
    int planes = 0, bytes = 0;
    FilterRecord record{};
    BigDocumentStruct big{};
    PIDescriptorParameters descriptorParameters{};
    PropertyProcs propertyProcs{};
    SPBasicSuite basic{1};
    std::vector<unsigned char> inBuffer, outBuffer;
    VRect pendingOut{};
    int pendingLo = 0, pendingHi = -1;
    std::chrono::steady_clock::time_point started;
    bool aborted = false; // the user cancelled: the call is over for the host
};
Host* host = nullptr;

bool empty(const VRect& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}
VRect requestRect(const Rect16& narrow, const VRect& wide)
{
    if (host->big.PluginUsing32BitCoordinates)
        return wide;
    return VRect{narrow.top, narrow.left, narrow.bottom, narrow.right};
}
std::string text(const VRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

uint16_t& pixel(int x, int y, int plane)
{
    return host->pixels[(std::size_t(y) * host->image.width + x) * host->planes + plane];
}

// Takes back what the plug-in wrote into the last output buffer.
void commitOutput()
{
    if (empty(host->pendingOut))
        return;
    const VRect r = host->pendingOut;
    const int n = host->pendingHi - host->pendingLo + 1, w = r.right - r.left;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            for (int p = 0; p < n; ++p) {
                const std::size_t i = (std::size_t(y - r.top) * w + (x - r.left)) * n + p;
                uint16_t v;
                if (host->bytes == 1)
                    v = host->outBuffer[i];
                else
                    std::memcpy(&v, host->outBuffer.data() + 2 * i, 2);
                pixel(x, y, host->pendingLo + p) = v;
            }
    host->pendingOut = VRect{};
}

// Interleaved samples of planes lo..hi over a rectangle.
void fill(std::vector<unsigned char>& buffer, const VRect& r, int lo, int hi)
{
    const int n = hi - lo + 1, w = r.right - r.left;
    buffer.assign(std::size_t(w) * (r.bottom - r.top) * n * host->bytes, 0);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            for (int p = 0; p < n; ++p) {
                const std::size_t i = (std::size_t(y - r.top) * w + (x - r.left)) * n + p;
                const uint16_t v = pixel(x, y, lo + p);
                if (host->bytes == 1)
                    buffer[i] = uint8_t(v);
                else
                    std::memcpy(buffer.data() + 2 * i, &v, 2);
            }
}

OSErr advanceState()
{
    commitOutput();
    FilterRecord& f = host->record;
    const VRect in = requestRect(f.inRect, host->big.inRect32);
    const VRect out = requestRect(f.outRect, host->big.outRect32);
    const VRect whole{0, 0, host->image.height, host->image.width};
    auto inside = [&](const VRect& r) {
        return r.left >= whole.left && r.top >= whole.top && r.right <= whole.right && r.bottom <= whole.bottom;
    };
    // One side of a request: the planes over a rectangle, in a buffer.
    auto serve = [&](const char* side, const VRect& r, int lo, int hi, std::vector<unsigned char>& buffer,
                     void** data, int32_t* rowBytes) {
        if (!inside(r) || hi >= host->planes || lo < 0 || hi < lo) {
            std::printf("refused %s %s\n", side, text(r).c_str());
            return false;
        }
        fill(buffer, r, lo, hi);
        *data = buffer.data();
        *rowBytes = (r.right - r.left) * (hi - lo + 1) * host->bytes;
        std::printf("request %s planes %d-%d rect %s", side, lo, hi, text(r).c_str());
        return true;
    };
    f.inData = nullptr;
    f.outData = nullptr;
    if (!empty(in)) {
        if (!serve("in", in, f.inLoPlane, f.inHiPlane, host->inBuffer, &f.inData, &f.inRowBytes))
            return plugInputOutOfRange;
        std::printf(" padding %d rate %.2f\n", f.inputPadding, f.inputRate / 65536.0);
    }
    if (!empty(out)) {
        if (!serve("out", out, f.outLoPlane, f.outHiPlane, host->outBuffer, &f.outData, &f.outRowBytes))
            return plugInputOutOfRange;
        std::printf("\n");
        host->pendingOut = out;
        host->pendingLo = f.outLoPlane;
        host->pendingHi = f.outHiPlane;
    }
    std::fflush(stdout);
    return noErr;
}

Boolean abortProc()
{
    if (host->options.cancelAfterMs < 0)
        return false;
    const auto elapsed = std::chrono::steady_clock::now() - host->started;
    if (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() >= host->options.cancelAfterMs)
        host->aborted = true;
    return host->aborted;
}

OSErr getProperty(ResType signature, ResType key, int32_t, intptr_t* simple, Handle*)
{
    if (signature == PIChars("8BIM") && key == PIChars("plip")) {
        *simple = host->options.plip;
        return noErr;
    }
    return -1;
}

void displayMessage(const char* title, const char* message)
{
    std::printf("message \"%s\" \"%s\"\n", title, message);
    std::fflush(stdout);
}

// ---- the state kept between runs ------------------------------------------

std::string hex(const std::vector<char>& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (char c : bytes) {
        s += digits[uint8_t(c) >> 4];
        s += digits[uint8_t(c) & 15];
    }
    return s;
}
std::vector<char> unhex(const std::string& s)
{
    std::vector<char> bytes;
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        bytes.push_back(char(std::stoi(s.substr(i, 2), nullptr, 16)));
    return bytes;
}

void loadState(Handle* parameters, intptr_t* data, PIDescriptorHandle* descriptor)
{
    std::ifstream in(host->options.state);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::vector<char> bytes = unhex(line.substr(eq + 1));
        Handle h = newHandle(int32_t(bytes.size()));
        std::memcpy(bytesOf(h).data(), bytes.data(), bytes.size());
        const std::string key = line.substr(0, eq);
        if (key == "parameters")
            *parameters = h;
        else if (key == "data")
            *data = intptr_t(h);
        else if (key == "descriptor")
            *descriptor = h;
        else
            disposeHandle(h);
    }
}

void saveState(Handle parameters, intptr_t data, PIDescriptorHandle descriptor)
{
    std::ofstream out(host->options.state, std::ios::trunc);
    if (parameters)
        out << "parameters=" << hex(bytesOf(parameters)) << "\n";
    if (data)
        out << "data=" << hex(bytesOf(Handle(data))) << "\n";
    if (descriptor)
        out << "descriptor=" << hex(bytesOf(descriptor)) << "\n";
}

bool parseOptions(int argc, char** argv, Options* o)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--rect") {
            o->hasRect = std::sscanf(value().c_str(), "%d,%d,%d,%d", &o->rect.left, &o->rect.top, &o->rect.right,
                                     &o->rect.bottom) == 4;
            if (!o->hasRect)
                return false;
        } else if (a == "--icc") {
            o->icc = value();
        } else if (a == "--no-icc-support") {
            o->iccSupport = false;
        } else if (a == "--no-padding") {
            o->padding = false;
        } else if (a == "--no-sampling") {
            o->sampling = false;
        } else if (a == "--no-big-document") {
            o->bigDocument = false;
        } else if (a == "--cancel-after") {
            o->cancelAfterMs = std::atol(value().c_str());
        } else if (a == "--plip") {
            o->plip = std::atol(value().c_str());
        } else if (a == "--state") {
            o->state = value();
        } else if (a == "--replay") {
            o->replay = value();
            if (o->replay != "on" && o->replay != "off")
                return false;
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 3)
        return false;
    o->plugin = positional[0];
    o->input = positional[1];
    o->output = positional[2];
    return true;
}

int fail(const std::string& why)
{
    std::fprintf(stderr, "strovane-pshost: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && (std::strcmp(argv[2], "--info") == 0 || std::strcmp(argv[2], "--about") == 0)) {
        void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return fail(dlerror());
        if (std::strcmp(argv[2], "--about") == 0) {
            auto entry = reinterpret_cast<PluginMainProc>(dlsym(library, "PluginMain"));
            AboutRecord about{nullptr, nullptr, displayMessage};
            intptr_t data = 0;
            int16_t result = 0;
            entry(filterSelectorAbout, &about, &data, &result);
            return 0;
        }
        auto* pipl = static_cast<const PIPropertyList*>(dlsym(library, "PluginPiPL"));
        auto* aete = static_cast<const PITerminology*>(dlsym(library, "PluginAete"));
        if (!pipl || !aete)
            return fail("the plug-in describes itself with no property list or terminology");
        std::printf("name \"%s\"\ncategory \"%s\"\nentry \"%s\"\nversion %08x\nevent \"%s\"\nvendor \"%s\"\n",
                    pipl->name, pipl->category, pipl->entryPoint, pipl->version, aete->eventName, aete->vendor);
        return 0;
    }

    Host h;
    host = &h;
    if (!parseOptions(argc, argv, &h.options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string error;
    if (!readPnm(h.options.input, &h.image, &error))
        return fail(error);
    h.planes = h.image.channels;
    h.bytes = h.image.maxValue == 255 ? 1 : 2;
    h.pixels.resize(h.image.samples.size());
    for (std::size_t i = 0; i < h.pixels.size(); ++i)
        h.pixels[i] = h.bytes == 1 ? h.image.samples[i] : uint16_t((h.image.samples[i] * 32768u + 32767u) / 65535u);

    void* library = dlopen(h.options.plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return fail(dlerror());
    auto entry = reinterpret_cast<PluginMainProc>(dlsym(library, "PluginMain"));
    if (!entry)
        return fail("no PluginMain in " + h.options.plugin);

    const VRect whole{0, 0, h.image.height, h.image.width};
    const VRect filter = h.options.hasRect ? h.options.rect : whole;
    if (empty(filter) || filter.left < 0 || filter.top < 0 || filter.right > whole.right || filter.bottom > whole.bottom)
        return fail("the rectangle is not inside the image");

    FilterRecord& f = h.record;
    f.abortProc = abortProc;
    f.imageSize = Point16{int16_t(h.image.height), int16_t(h.image.width)};
    f.wholeSize = f.imageSize;
    f.planes = int16_t(h.planes);
    f.filterRect = Rect16{int16_t(filter.top), int16_t(filter.left), int16_t(filter.bottom), int16_t(filter.right)};
    f.maxSpace = 1 << 30;
    f.advanceState = ::advanceState;
    f.imageMode = h.planes == 1 ? (h.bytes == 1 ? plugInModeGrayScale : plugInModeGray16)
                                : (h.bytes == 1 ? plugInModeRGBColor : plugInModeRGB48);
    f.supportsPadding = h.options.padding;
    f.supportsSampling = h.options.sampling;
    f.canUseICCProfiles = h.options.iccSupport;
    f.handleProcs = &handleProcs;
    h.propertyProcs.getPropertyProc = getProperty;
    f.propertyProcs = &h.propertyProcs;
    f.sSPBasic = &h.basic;
    f.displayMessage = displayMessage;
    if (h.options.bigDocument) {
        h.big.wholeSize32 = VPoint{h.image.height, h.image.width};
        h.big.filterRect32 = filter;
        f.bigDocumentData = &h.big;
    }
    if (h.options.iccSupport && !h.options.icc.empty()) {
        std::ifstream in(h.options.icc, std::ios::binary);
        const std::vector<char> profile((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (profile.empty())
            return fail("cannot read the profile " + h.options.icc);
        f.iCCprofileData = newHandle(int32_t(profile.size()));
        std::memcpy(bytesOf(f.iCCprofileData).data(), profile.data(), profile.size());
        f.iCCprofileSize = int32_t(profile.size());
    }

    intptr_t data = 0;
    PIDescriptorHandle recorded = nullptr;
    if (!h.options.state.empty())
        loadState(&f.parameters, &data, &recorded);
    h.descriptorParameters.descriptorParametersVersion = 1;
    h.descriptorParameters.readDescriptorProcs = &readProcs;
    h.descriptorParameters.writeDescriptorProcs = &writeProcs;
    const bool replay = !h.options.replay.empty();
    if (replay) {
        h.descriptorParameters.descriptor = recorded;
        h.descriptorParameters.playInfo = h.options.replay == "on" ? plugInDialogDisplay : plugInDialogDontDisplay;
    } else if (recorded) {
        disposeHandle(recorded);
    }
    f.descriptorParameters = &h.descriptorParameters;

    int16_t result = 0;
    auto call = [&](int16_t selector) {
        if (selector == filterSelectorStart)
            h.started = std::chrono::steady_clock::now();
        entry(selector, &f, &data, &result);
        commitOutput();
        std::printf("selector %d result %d\n", selector, result);
        std::fflush(stdout);
    };
    // From the menu the dialog is asked for and the parameters reset; a
    // replayed action goes straight to the work.
    if (!replay)
        call(filterSelectorParameters);
    if (result == noErr)
        call(filterSelectorPrepare);
    if (result == noErr)
        call(filterSelectorStart);
    if (result == noErr && !h.aborted) {
        call(filterSelectorContinue);
        call(filterSelectorFinish);
    }
    if (f.parameters)
        std::printf("preset \"%.*s\"\n", 99, lockHandle(f.parameters, false));

    for (std::size_t i = 0; i < h.pixels.size(); ++i)
        h.image.samples[i] = h.bytes == 1 ? h.pixels[i] : uint16_t((std::min<unsigned>(h.pixels[i], 32768u) * 65535u + 16384u) / 32768u);
    if (!writePnm(h.options.output, h.image, &error))
        return fail(error);
    if (!h.options.state.empty())
        saveState(f.parameters, data, h.descriptorParameters.descriptor);
    std::printf("result %d\n", result);
    return 0;
}
