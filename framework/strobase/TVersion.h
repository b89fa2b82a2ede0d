#pragma once

#include "strobase_global.h"

#include <QString>

// A parameter-set version, written "major.minor" in presets.
struct STROBASE_EXPORT TVersion {
    int major = 0;
    int minor = 0;

    QString toString() const;
    // Accepts "M.m" or "M"; anything else is not a version.
    static bool parse(const QString& text, TVersion* out);

    friend bool operator==(TVersion a, TVersion b) { return a.major == b.major && a.minor == b.minor; }
    friend bool operator!=(TVersion a, TVersion b) { return !(a == b); }
    friend bool operator<(TVersion a, TVersion b) { return a.major != b.major ? a.major < b.major : a.minor < b.minor; }
};
