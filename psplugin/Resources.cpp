// What a host reads of the plug-in without calling it: its property list
// (kind, names, entry point, modes) and its scripting terminology.
#include "host/PIFilter.h"

#define EXPORTED extern "C" __attribute__((visibility("default")))

EXPORTED const PIPropertyList PluginPiPL = {
    PIChars("8BFM"),
    "Velmora Strovane 2...",
    "Velmora Labs",
    0x00040000,
    sizeof(void*) == 8 ? PIChars("8664") : PIChars("wx86"),
    "PluginMain",
    1u << plugInModeRGBColor,
    "in (PSHOP_ImageMode, RGBMode, RGB48Mode)",
    {0, PIChars("vs20"), PIChars("vs20"), 16000, "893a113a-234a-a824-721d-a1f210291972"},
    sizeof(void*) == 8 ? VPoint{1000000, 1000000} : VPoint{0, 0},
    0x80,
};

EXPORTED const PITerminology PluginAete = {
    1,
    0,
    0,
    0,
    "Velmora Labs",
    "Velmora Strovane 2 - Turn photos into creative paintings.",
    PIChars("vs20"),
    1,
    1,
    "Velmora Strovane 2",
    "Velmora Strovane 2 - Turn photos into creative paintings.",
    PIChars("vs20"),
    PIChars("vs20"),
    PIChars("null"),
    PIChars("#ImR"),
    0xB000,
};
