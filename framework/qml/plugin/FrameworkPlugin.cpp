#include "FrameworkPlugin.h"

#include <FrameworkModules.h>

void FrameworkPlugin::registerTypes(const char* uri)
{
    registerFrameworkModule(uri);
}
