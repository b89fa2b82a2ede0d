// The preset id in the host's action descriptor, under the key 'prid', so
// that a recorded action replays the filter with the same preset.
#include "Plugin.h"
#include "Trace.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DescriptorKeyID kPresetIdKey = PIChars("prid");

} // namespace

OSErr readScriptParameters(bool* showDialog)
{
    Trace::line("PB-ReadScriptParameters()", "begin");
    PIDescriptorParameters* desc = g.filter->descriptorParameters;
    if (!desc) {
        Trace::line("PB-ReadScriptParameters()", "return descParams == NULL");
        return noErr;
    }
    if (!desc->readDescriptorProcs) {
        Trace::line("PB-ReadScriptParameters()", "return readProcs == NULL");
        return noErr;
    }
    OSErr err = noErr;
    if (desc->descriptor) {
        Trace::line("PB-ReadScriptParameters()", "Reading param...");
        const DescriptorKeyID keys[] = {kPresetIdKey, 0};
        ReadDescriptorProcs* procs = desc->readDescriptorProcs;
        if (PIReadDescriptor token = procs->openReadDescriptorProc(desc->descriptor, keys)) {
            DescriptorKeyID key = 0;
            DescriptorTypeID type = 0;
            int32_t flags = 0;
            while (err == noErr && procs->getKeyProc(token, &key, &type, &flags)) {
                if (key != kPresetIdKey)
                    continue;
                unsigned char text[256] = {};
                err = procs->getStringProc(token, text);
                if (err == noErr && g.parameters) {
                    // The parameters hold 99 characters and a terminator.
                    const std::size_t n = std::min<std::size_t>(text[0], kParametersSize - 1);
                    std::memcpy(g.parameters, text + 1, n);
                    std::memset(g.parameters + n, 0, kParametersSize - n);
                }
            }
            err = procs->closeReadDescriptorProc(token);
        }
        g.filter->handleProcs->disposeProc(desc->descriptor);
        desc->descriptor = nullptr;
        *showDialog = desc->playInfo == plugInDialogDisplay;
    }
    Trace::line("PB-ReadScriptParameters() - return", (long long)err);
    return err;
}

OSErr writeScriptParameters()
{
    Trace::line("PB-WriteScriptParameters()", "begin");
    PIDescriptorParameters* desc = g.filter->descriptorParameters;
    if (!desc || !desc->writeDescriptorProcs)
        return noErr;
    WriteDescriptorProcs* procs = desc->writeDescriptorProcs;
    PIWriteDescriptor token = procs->openWriteDescriptorProc();
    if (!token)
        return errMissingParameter;
    unsigned char text[256] = {};
    const std::size_t n = g.parameters ? strnlen(g.parameters, kParametersSize - 1) : 0;
    text[0] = static_cast<unsigned char>(n);
    if (n)
        std::memcpy(text + 1, g.parameters, n);
    procs->putStringProc(token, kPresetIdKey, text);
    if (desc->descriptor)
        g.filter->handleProcs->disposeProc(desc->descriptor);
    desc->descriptor = nullptr;
    procs->closeWriteDescriptorProc(token, &desc->descriptor);
    desc->recordInfo = plugInDialogOptional;
    Trace::line("PB-WriteScriptParameters()", "written");
    return noErr;
}
