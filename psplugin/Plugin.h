#pragma once

#include "host/PIFilter.h"

#include <HostExchange.h>

// The state of the current filter call (the host calls one at a time, on
// its own thread) and the helpers the selectors share.
struct PluginGlobals {
    FilterRecord* filter = nullptr;
    intptr_t* dataSlot = nullptr;
    int16_t* result = nullptr;
    SPBasicSuite* basic = nullptr;
    char* parameters = nullptr; // the locked parameters handle: the preset id
    int32_t* data = nullptr;    // the locked data handle
    PropertyProcs* propertyProcs = nullptr;
    HostExchange* exchange = nullptr; // while a start selector runs
};

extern PluginGlobals g;

constexpr int32_t kParametersSize = 100;

// The result becomes userCanceledErr, so that the host adds no message of
// its own; a text is shown in a "Cannot Proceed" box.
void reportFailure(const char* text);

// The handles the plug-in keeps in the host.
void createParametersHandle();
void createDataHandle();
void lockHandles();
void unlockHandles();
void initialiseParameters();

// The filter rectangle and the request rectangles, in 32-bit coordinates
// when the host offers them.
VRect filterRect();
VRect wholeImage();
void setRequest(const VRect& in, const VRect& out, const VRect& mask);

// Scripting: the preset id in the host's action descriptor.
OSErr readScriptParameters(bool* showDialog);
OSErr writeScriptParameters();

void doStart();
