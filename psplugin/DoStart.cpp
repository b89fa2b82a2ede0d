// The start selector: the host's filtered area goes into the exchange
// segments, the program is started and waited for, and its painting comes
// back into the host (or the reason why not is reported).
#include "InstallFolder.h"
#include "Plugin.h"
#include "Samples.h"
#include "Trace.h"

#include <IPCParams.h>
#include <IpcSegment.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace {

// Ends the selector after a report or after a non-zero status.
constexpr int kEndSelector = 1;

constexpr int kWaitTickMs = 150;
// How long a program that has answered may take to end before it is left
// to the host to reap.
constexpr int kReapMs = 5000;

// A segment of this exchange: its names go on every way out of the selector.
struct Segment {
    std::unique_ptr<IpcSegment> segment;
    ~Segment()
    {
        if (segment)
            segment->destroy();
    }
    uint8_t* bytes() const { return static_cast<uint8_t*>(segment->payload()); }
};

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

// Our child that ended is reaped here; a pid that is not our child counts
// as alive while it exists.
bool processGone(pid_t pid)
{
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid)
        return true;
    if (r == 0)
        return false;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

void sleepMs(int ms)
{
    timespec t{ms / 1000, long(ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

// Starts the program from the install folder under the name the program
// knows the plug-in by; 0 when it cannot be started.
pid_t launchProgram()
{
    const InstallFolder::Result install = InstallFolder::find();
    if (!install.problem.empty())
        Trace::line("PB-doStart()", ("Error: cannot read install path setting: " + install.problem).c_str());
    else if (!install.fromSettings)
        Trace::line("PB-doStart()", "Error: cannot read install path registry");
    const std::string program = install.folder + "/" + InstallFolder::kProgramName;
    Trace::line("PB-doStart(), App Path", program.c_str());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, install.folder.c_str());
    char name[] = "Velmora_Strovane";
    char* argv[] = {name, nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : 0;
}

} // namespace

// The wait's tick: 0 to go on waiting, 1 when the program has answered or
// is gone (or none was started), 2 when the host asks to cancel (its
// abortProc: the user's Cancel or Escape).
extern "C" __attribute__((visibility("default"))) int DissolveProc(void)
{
    if (g.exchange && __atomic_load_n(&g.exchange->status, __ATOMIC_ACQUIRE) != IPC_STATUS_PENDING)
        return 1;
    if (g.program == 0 || processGone(g.program)) {
        g.program = 0;
        return 1;
    }
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

    Trace::line("PB-Create IPC Shared Memory for Parameters", "begin");
    Segment param;
    param.segment.reset(new CVMIPC<IPCParams>(IPCPARAM, 1));
    g.exchange = static_cast<CVMIPC<IPCParams>*>(param.segment.get())->data();
    if (!g.exchange) {
        reportFailure("Error: cannot create paramsShMem.");
        throw kEndSelector;
    }
    IPCParams* p = g.exchange;
    Trace::line("PB-Create IPC Shared Memory for Parameters", "end");

    Segment icc;
    if (f->canUseICCProfiles && f->iCCprofileData && f->iCCprofileSize > 0) {
        const char* profile = f->handleProcs->lockProc(f->iCCprofileData, false);
        if (!profile)
            throw int(memFullErr);
        icc.segment.reset(new IpcSegment(IPCSRCICC, 1, std::uint64_t(f->iCCprofileSize) + kIpcIccSlack));
        p->iccSize = f->iCCprofileSize;
        std::memcpy(icc.bytes(), profile, std::size_t(f->iCCprofileSize));
        f->handleProcs->unlockProc(f->iCCprofileData);
    } else {
        icc.segment.reset(new IpcSegment(IPCSRCICC, 1, kIpcNoIccCount));
        p->iccSize = 0;
    }

    std::memcpy(p->presetId, g.parameters, sizeof p->presetId);
    p->presetId[sizeof p->presetId - 1] = 0;
    p->dialogMode = showDialog ? 1 : 0;
    intptr_t plip = 0;
    if (f->propertyProcs && f->propertyProcs->getPropertyProc
        && f->propertyProcs->getPropertyProc(PIChars("8BIM"), PIChars("plip"), 0, &plip, nullptr) == noErr && plip
        && showDialog)
        p->dialogMode = 2;
    p->status = IPC_STATUS_PENDING;
    p->message[0] = 0;

    const VRect r = filterRect();
    p->width = r.right - r.left;
    p->height = r.bottom - r.top;
    p->isGray = 0;
    p->bytesPerSample = 2;
    p->rowBytes = ipcRowBytes(p->width);

    Trace::line("PB-Create IPC", "begin");
    const char* const names[3] = {IPCPLANE0, IPCPLANE1, IPCPLANE2};
    Segment planes[3];
    const std::uint64_t planeBytes = std::uint64_t(p->rowBytes) * std::uint64_t(p->height);
    for (int i = 0; i < 3; ++i) {
        planes[i].segment.reset(new IpcSegment(names[i], 1, planeBytes + kIpcPlaneSlack));
        std::memset(planes[i].bytes(), 0xFF, planeBytes);
    }
    const int bytes = sampleBytes(f->imageMode);
    if (bytes == 0) {
        *g.result = filterBadMode;
        throw kEndSelector;
    }
    const bool gray = isGrayMode(f->imageMode);
    p->isGray = gray ? 1 : 0;
    for (int i = 0; i < (gray ? 1 : 3); ++i)
        readPlane(i, planes[i].bytes(), p->rowBytes, bytes);

    g.program = launchProgram();
    Trace::line("PB-Create IPC - end, gIPCProc", static_cast<const void*>(g.program ? &g.program : nullptr));
    if (!g.program) {
        Trace::line("PB-doStart()", "Error: launch plug-in failure");
        reportFailure("Error: launch plug-in failure.");
    }

    Trace::line("PB-Launch GUI", "begin");
    while (DissolveProc() == 0)
        sleepMs(kWaitTickMs);
    Trace::line("PB-Launch GUI", "end");
    const pid_t program = g.program;
    g.program = 0;
    icc.segment->destroy();
    icc.segment.reset();
    const int status = __atomic_load_n(&p->status, __ATOMIC_ACQUIRE);
    Trace::line("PB-IPC OutStatus", (long long)status);

    if (status != IPC_STATUS_DONE) {
        lockHandles();
        writeScriptParameters();
        if (status == IPC_STATUS_CANCELLED) {
            *g.result = userCanceledErr;
            Trace::line("PB-DoStart()", "User Cancelled");
        } else if (status == IPC_STATUS_FAILED) {
            char message[sizeof p->message];
            ipcCopyText(message, sizeof message, p->message);
            Trace::line("PB-doStart()", message);
        } else if (status == IPC_STATUS_PENDING) {
            Trace::line("PB-doStart()", "Error: plug-in has crashed.");
        } else {
            Trace::line("PB-doStart()", "Error: unknown.");
        }
        throw kEndSelector;
    }

    for (int i = 0; i < (gray ? 1 : 3); ++i) {
        if (!writePlane(i, planes[i].bytes(), p->rowBytes, bytes) && !gray) {
            reportFailure("Error: saveOutData failure.");
            throw kEndSelector;
        }
    }
    // One try at the lock; the preset id is taken whether or not it was got
    // (the program wrote it before its status), bounded to 99 characters.
    param.segment->tryLock();
    ipcCopyText(g.parameters, kParametersSize, p->presetId);
    param.segment->unlock();

    // The program has answered and is ending; reap it when it does.
    for (int waited = 0; program && waited < kReapMs && !processGone(program); waited += 50)
        sleepMs(50);

    for (int i = 2; i >= 0; --i) {
        planes[i].segment->destroy();
        planes[i].segment.reset();
    }
    param.segment->destroy();
    param.segment.reset();
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
        reportFailure(e.code() == IPC_ERR_OUT_OF_MEMORY || e.code() == IPC_ERR_CREATE
                          ? "IPC Memory in use or \n Image size is too big for the system."
                          : "Error: please report this error to Velmora Labs.");
    } catch (const std::exception& e) {
        Trace::line("PB-DoStart(), standard C/C++ exception", e.what());
        reportFailure("Error: C++ exception");
    }
    g.exchange = nullptr;
    g.program = 0;
    Trace::line("PB-DoStart()", "end");
}
