#pragma once

#include "TSFbo.h"

#include <QString>

// Named store of expensive GPU results. One entry per name: storing under a
// name replaces what was there, and a lookup only answers when the stored
// image carries the uid asked for.
namespace GLCache {

enum Policy {
    FBOCache, // keep until replaced or released
};

STROBASE_EXPORT TSFbo get(const QString& name, quint32 uid);
STROBASE_EXPORT void set(const QString& name, const TSFbo& fbo, Policy policy);
STROBASE_EXPORT void release(const QString& name);
STROBASE_EXPORT void clear();

} // namespace GLCache
