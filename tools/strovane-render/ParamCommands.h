#pragma once

#include <QString>

class TEBase;

// The verbs of strovane-render that work on parameters alone. Each returns
// the process exit code.
int listParams();
int convertPreset(TEBase& effect, const QString& path);
