#pragma once

class PSImageData;
class QQmlEngine;
class VmAppDelegate;

// A filter the host replays with its dialog off: the host image is painted
// with the preset the plug-in keeps for the action, without a window, and
// handed back. Gives the delegate's error code (0 done, 2 failed).
namespace SilentReplay {

int run(QQmlEngine& engine, const VmAppDelegate& delegate, PSImageData& image);

} // namespace SilentReplay
