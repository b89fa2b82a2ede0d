// The start selector: the host's filtered area goes into the exchange
// segments, the program is started and waited for, and its painting comes
// back into the host (or the reason why not is reported).
#include "InstallFolder.h"
#include "Plugin.h"
#include "Samples.h"
#include "Trace.h"

#include <HostExchange.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// Ends the selector after a report or after a non-zero status.
constexpr int kEndSelector = 1;

constexpr int kWaitTickMs = 150;
// How long a program that has answered may take to end before it is left
// to the host to reap.
constexpr int kReapMs = 5000;

bool isGrayMode(int16_t mode)
{
    return mode == plugInModeGrayScale || mode == plugInModeGray16 || mode == plugInModeBitmap;
}

// The bytes of one host sample, or 0 for a mode the plug-in cannot convert.
int sampleBytes(int16_t mode)
{
    switch (mode) {
    case plugInModeBitmap:
    case plugInModeGrayScale:
    case plugInModeRGBColor:
        return 1;
    case plugInModeGray16:
    case plugInModeRGB48:
        return 2;
    default:
        return 0;
    }
}

void convertRowIn(const uint8_t* host, int width, int bytes, uint8_t* exchange)
{
    for (int x = 0; x < width; ++x) {
        uint16_t v;
        if (bytes == 1) {
            v = Samples::from8(host[x]);
        } else {
            uint16_t h;
            std::memcpy(&h, host + 2 * x, 2);
            v = Samples::from16(h);
        }
        std::memcpy(exchange + 2 * x, &v, 2);
    }
}

void convertRowOut(const uint8_t* exchange, int width, int bytes, uint8_t* host)
{
    for (int x = 0; x < width; ++x) {
        uint16_t v;
        std::memcpy(&v, exchange + 2 * x, 2);
        if (bytes == 1) {
            host[x] = Samples::to8(v);
        } else {
            const uint16_t h = Samples::to16(v);
            std::memcpy(host + 2 * x, &h, 2);
        }
    }
}

// One plane of the host image into a plane segment, by rectangle when a
// selection limits the filter, else row by row. A refused request ends
// the reading of that plane.
void readPlane(int plane, uint8_t* segment, int rowBytes, int bytes)
{
    FilterRecord* f = g.filter;
    const VRect r = filterRect();
    const VRect whole = wholeImage();
    const int width = r.right - r.left, height = r.bottom - r.top;
    f->inLoPlane = f->inHiPlane = int16_t(plane);
    if (width < whole.right - whole.left || height < whole.bottom - whole.top) {
        setRequest(r, VRect{}, VRect{});
        if (f->advanceState() != noErr)
            return;
        for (int y = 0; y < height; ++y)
            convertRowIn(static_cast<const uint8_t*>(f->inData) + std::size_t(y) * f->inRowBytes, width, bytes,
                         segment + std::size_t(y) * rowBytes);
        return;
    }
    if (f->supportsPadding) {
        f->inputPadding = plugInWantsErrorOnBoundsException;
        f->outputPadding = plugInWantsErrorOnBoundsException;
    }
    if (f->supportsSampling)
        f->inputRate = 1 << 16;
    for (int y = 0; y < height; ++y) {
        setRequest(VRect{r.top + y, r.left, r.top + y + 1, r.right}, VRect{}, VRect{});
        if (f->advanceState() != noErr)
            return;
        convertRowIn(static_cast<const uint8_t*>(f->inData), width, bytes, segment + std::size_t(y) * rowBytes);
    }
}

// One plane segment into the host; false when the host refuses.
bool writePlane(int plane, const uint8_t* segment, int rowBytes, int bytes)
{
    FilterRecord* f = g.filter;
    const VRect r = filterRect();
    const int width = r.right - r.left, height = r.bottom - r.top;
    setRequest(VRect{}, r, VRect{});
    f->inLoPlane = f->inHiPlane = 0;
    f->outLoPlane = f->outHiPlane = int16_t(plane);
    if (f->advanceState() != noErr || !f->outData)
        return false;
    for (int y = 0; y < height; ++y)
        convertRowOut(segment + std::size_t(y) * rowBytes, width, bytes,
                      static_cast<uint8_t*>(f->outData) + std::size_t(y) * f->outRowBytes);
    return true;
}

// Starts the program from the install folder under the name the program
// knows the plug-in by; false when it cannot be started.
bool launchProgram(HostExchange& exchange)
{
    const InstallFolder::Result install = InstallFolder::find();
    if (!install.problem.empty())
        Trace::line("PB-doStart()", ("Error: cannot read install path setting: " + install.problem).c_str());
    else if (!install.fromSettings)
        Trace::line("PB-doStart()", "Error: cannot read install path registry");
    const std::string program = install.folder + "/" + InstallFolder::kProgramName;
    Trace::line("PB-doStart(), App Path", program.c_str());
    return exchange.launch(program, install.folder);
}

} // namespace

// The wait's tick: 0 to go on waiting, 1 when the program has answered or
// is gone (or none was started), 2 when the host asks to cancel (its
// abortProc: the user's Cancel or Escape).
extern "C" __attribute__((visibility("default"))) int DissolveProc(void)
{
    if (!g.exchange || g.exchange->answered())
        return 1;
    if (g.filter->abortProc && g.filter->abortProc())
        return 2;
    return 0;
}

namespace {

void exchangeImage()
{
    FilterRecord* f = g.filter;
    lockHandles();
    bool showDialog = true;
    readScriptParameters(&showDialog);

    const int bytes = sampleBytes(f->imageMode);
    if (bytes == 0) {
        *g.result = filterBadMode;
        throw kEndSelector;
    }
    const bool gray = isGrayMode(f->imageMode);
    const VRect r = filterRect();
    int dialogMode = showDialog ? 1 : 0;
    intptr_t plip = 0;
    if (f->propertyProcs && f->propertyProcs->getPropertyProc
        && f->propertyProcs->getPropertyProc(PIChars("8BIM"), PIChars("plip"), 0, &plip, nullptr) == noErr && plip
        && showDialog)
        dialogMode = 2;
    char presetId[sizeof IPCParams::presetId];
    std::memcpy(presetId, g.parameters, sizeof presetId);
    presetId[sizeof presetId - 1] = 0;

    const char* profile = nullptr;
    int32_t profileSize = 0;
    if (f->canUseICCProfiles && f->iCCprofileData && f->iCCprofileSize > 0) {
        profile = f->handleProcs->lockProc(f->iCCprofileData, false);
        if (!profile)
            throw int(memFullErr);
        profileSize = f->iCCprofileSize;
    }
    Trace::line("PB-Create IPC Shared Memory for Parameters", "begin");
    std::unique_ptr<HostExchange> made;
    try {
        made.reset(new HostExchange(r.right - r.left, r.bottom - r.top, gray, profile, profileSize, presetId,
                                    dialogMode));
    } catch (...) {
        if (profile)
            f->handleProcs->unlockProc(f->iCCprofileData);
        throw;
    }
    if (profile)
        f->handleProcs->unlockProc(f->iCCprofileData);
    HostExchange& exchange = *made;
    g.exchange = &exchange;
    Trace::line("PB-Create IPC", "end");

    for (int i = 0; i < exchange.planeCount(); ++i)
        readPlane(i, exchange.plane(i), exchange.rowBytes(), bytes);

    const bool launched = launchProgram(exchange);
    Trace::line("PB-Create IPC - end, gIPCProc", static_cast<const void*>(launched ? &exchange : nullptr));
    if (!launched) {
        Trace::line("PB-doStart()", "Error: launch plug-in failure");
        reportFailure("Error: launch plug-in failure.");
    }

    Trace::line("PB-Launch GUI", "begin");
    int tick = 0;
    while ((tick = DissolveProc()) == 0)
        HostExchange::sleepMs(kWaitTickMs);
    const bool userCancelled = tick == 2;
    Trace::line("PB-Launch GUI", "end");
    exchange.dropProfile();
    const int status = exchange.status();
    Trace::line("PB-IPC OutStatus", (long long)status);

    if (status != IPC_STATUS_DONE) {
        lockHandles();
        writeScriptParameters();
        // Anything but a cancel is a failure the host must hear of: the
        // image stays as it was.
        if (status == IPC_STATUS_CANCELLED) {
            *g.result = userCanceledErr;
            Trace::line("PB-DoStart()", "User Cancelled");
        } else if (status == IPC_STATUS_FAILED) {
            const std::string message = exchange.message();
            Trace::line("PB-doStart()", message.c_str());
            reportFailure(message.empty() ? "The painting program failed." : message.c_str());
        } else if (status == IPC_STATUS_PENDING) {
            Trace::line("PB-doStart()", "Error: plug-in has crashed.");
            // A failed start has been reported already.
            if (userCancelled)
                *g.result = userCanceledErr;
            else if (launched)
                reportFailure("The painting program ended without answering.");
        } else {
            Trace::line("PB-doStart()", "Error: unknown.");
            reportFailure("The painting program gave an answer the plug-in does not know.");
        }
        throw kEndSelector;
    }

    for (int i = 0; i < exchange.planeCount(); ++i) {
        if (!writePlane(i, exchange.plane(i), exchange.rowBytes(), bytes) && !gray) {
            reportFailure("Error: saveOutData failure.");
            throw kEndSelector;
        }
    }
    ipcCopyText(g.parameters, kParametersSize, exchange.presetId().c_str());

    // The program has answered and is ending; reap it when it does.
    exchange.reap(kReapMs);
    made.reset();
    g.exchange = nullptr;
    setRequest(VRect{}, VRect{}, VRect{});
    f->advanceState();
}

} // namespace

void doStart()
{
    Trace::line("PB-DoStart()", "begin");
    try {
        exchangeImage();
    } catch (int code) {
        if (code != kEndSelector) {
            Trace::line("PB-DoStart(), exception", (long long)code);
            reportFailure(code == IPC_ERR_OUT_OF_MEMORY || code == IPC_ERR_CREATE
                              ? "IPC Memory in use or \n Image size is too big for the system."
                              : "Error: please report this error to Velmora Labs.");
        }
    } catch (const IpcError& e) {
        Trace::line("PB-DoStart(), exception", (long long)e.code());
        // Another exchange running, or a name in the way: the reason itself.
        if (e.code() == IPC_ERR_BUSY || e.code() == IPC_ERR_NAME_TAKEN)
            reportFailure(e.what());
        else
            reportFailure(e.code() == IPC_ERR_OUT_OF_MEMORY || e.code() == IPC_ERR_CREATE
                              ? "IPC Memory in use or \n Image size is too big for the system."
                              : "Error: please report this error to Velmora Labs.");
    } catch (const std::exception& e) {
        Trace::line("PB-DoStart(), standard C/C++ exception", e.what());
        reportFailure("Error: C++ exception");
    }
    g.exchange = nullptr;
    Trace::line("PB-DoStart()", "end");
}
