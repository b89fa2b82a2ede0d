// The filter plug-in: the host's entry point and its selectors. The image
// work is the program's; the plug-in hands the filtered area over through
// the exchange segments (DoStart.cpp).
#include "Plugin.h"
#include "Trace.h"

#include <cstdio>
#include <cstring>

PluginGlobals g;

namespace {

constexpr const char* kAboutText =
    "Velmora Strovane 2\nTurn photos into creative paintings.\n\nVelmora Labs - www.velmora-labs.example";

OSErr& result()
{
    return *g.result;
}

void showMessage(DisplayMessageProc display, const char* title, const char* text)
{
    if (display)
        display(title, text);
    else
        std::fprintf(stderr, "%s: %s\n", title, text);
}

void doAbout(AboutRecord* about)
{
    showMessage(about ? about->displayMessage : nullptr, "About Velmora Strovane 2", kAboutText);
}

// Creates the handles that are missing, then locks both and resets them.
void createHandlesAndReset()
{
    if (!g.filter->parameters)
        createParametersHandle();
    if (!*g.dataSlot)
        createDataHandle();
    if (result() == noErr) {
        lockHandles();
        initialiseParameters();
    }
}

void doParameters()
{
    Trace::line("PB-DoParameters() - begin, imageMode", (long long)g.filter->imageMode);
    createHandlesAndReset();
    Trace::line("PB-DoParameters() - end, gResult", (long long)result());
}

void doPrepare()
{
    Trace::line("PB-DoPrepare()", "begin");
    // Existing handles keep their preset id; new ones start empty.
    if (g.filter->parameters && *g.dataSlot)
        lockHandles();
    else
        createHandlesAndReset();
    const VRect r = filterRect();
    const int32_t size = int32_t(uint32_t(r.right - r.left) * uint32_t(r.bottom - r.top));
    if (g.filter->maxSpace > 2 * int64_t(size))
        g.filter->maxSpace = 2 * size;
    g.filter->bufferSpace = size;
    Trace::line("PB-DoPrepare() - end, image size", (long long)size);
}

void doContinue()
{
    setRequest(VRect{}, VRect{}, VRect{});
}

void doFinish()
{
    Trace::line("PB-DoFinish()", "begin");
    lockHandles();
    if (result() == noErr)
        writeScriptParameters();
    Trace::line("PB-DoFinish()", "end");
}

} // namespace

void reportFailure(const char* text)
{
    result() = userCanceledErr;
    if (text && *text)
        showMessage(g.filter ? g.filter->displayMessage : nullptr, "Cannot Proceed", text);
}

void createParametersHandle()
{
    g.filter->parameters = g.filter->handleProcs->newProc(kParametersSize);
    if (!g.filter->parameters)
        result() = memFullErr;
}

void createDataHandle()
{
    Handle h = g.filter->handleProcs->newProc(sizeof(int32_t));
    if (!h) {
        result() = memFullErr;
        return;
    }
    *g.dataSlot = intptr_t(h);
    g.filter->handleProcs->lockProc(h, true);
    g.filter->handleProcs->unlockProc(h);
}

void lockHandles()
{
    if (!g.filter->parameters || !*g.dataSlot) {
        result() = filterBadParameters;
        return;
    }
    g.parameters = g.filter->handleProcs->lockProc(g.filter->parameters, true);
    g.data = reinterpret_cast<int32_t*>(g.filter->handleProcs->lockProc(Handle(*g.dataSlot), true));
    if (!g.parameters || !g.data)
        result() = memFullErr;
}

void unlockHandles()
{
    if (*g.dataSlot)
        g.filter->handleProcs->unlockProc(Handle(*g.dataSlot));
    if (g.filter->parameters)
        g.filter->handleProcs->unlockProc(g.filter->parameters);
    g.parameters = nullptr;
    g.data = nullptr;
}

void initialiseParameters()
{
    if (g.parameters)
        std::memset(g.parameters, 0, kParametersSize);
    if (g.data)
        *g.data = 0;
}

VRect filterRect()
{
    if (g.filter->bigDocumentData && g.filter->bigDocumentData->PluginUsing32BitCoordinates)
        return g.filter->bigDocumentData->filterRect32;
    const Rect16& r = g.filter->filterRect;
    return VRect{r.top, r.left, r.bottom, r.right};
}

VRect wholeImage()
{
    if (g.filter->bigDocumentData && g.filter->bigDocumentData->PluginUsing32BitCoordinates)
        return VRect{0, 0, g.filter->bigDocumentData->wholeSize32.v, g.filter->bigDocumentData->wholeSize32.h};
    return VRect{0, 0, g.filter->wholeSize.v, g.filter->wholeSize.h};
}

void setRequest(const VRect& in, const VRect& out, const VRect& mask)
{
    if (g.filter->bigDocumentData && g.filter->bigDocumentData->PluginUsing32BitCoordinates) {
        g.filter->bigDocumentData->inRect32 = in;
        g.filter->bigDocumentData->outRect32 = out;
        g.filter->bigDocumentData->maskRect32 = mask;
        return;
    }
    auto narrow = [](const VRect& r) {
        return Rect16{int16_t(r.top), int16_t(r.left), int16_t(r.bottom), int16_t(r.right)};
    };
    g.filter->inRect = narrow(in);
    g.filter->outRect = narrow(out);
    g.filter->maskRect = narrow(mask);
}

extern "C" __attribute__((visibility("default"))) void PluginMain(int16_t selector, void* record, intptr_t* data,
                                                                  int16_t* resultPointer)
{
    g = PluginGlobals{};
    g.dataSlot = data;
    g.result = resultPointer;
    Trace::start("PB-Entry Velmora Strovane");
    Trace::line("PB-PluginMain()", "begin");
    if (selector == filterSelectorAbout) {
        AboutRecord* about = static_cast<AboutRecord*>(record);
        g.basic = about ? about->sSPBasic : nullptr;
        Trace::line("PB-Selector", (long long)selector);
        doAbout(about);
        Trace::line("PB-PluginMain()", "end");
        return;
    }
    g.filter = static_cast<FilterRecord*>(record);
    g.basic = g.filter->sSPBasic;
    if (g.filter->bigDocumentData)
        g.filter->bigDocumentData->PluginUsing32BitCoordinates = true;
    Trace::line("PB-Selector", (long long)selector);
    switch (selector) {
    case filterSelectorParameters:
        doParameters();
        break;
    case filterSelectorPrepare:
        doPrepare();
        break;
    case filterSelectorStart:
        doStart();
        break;
    case filterSelectorContinue:
        doContinue();
        break;
    case filterSelectorFinish:
        doFinish();
        break;
    default:
        break;
    }
    unlockHandles();
    Trace::line("PB-PluginMain()", "end");
}
