#pragma once

#include "TSFbo.h"

#include <QString>

// Named store of expensive GPU results. One entry per name: storing under a
// name replaces what was there, and a lookup only answers when the stored
// image carries the uid asked for. Several workers may share an entry; each
// names itself as its owner when it stores or finds one, and an entry goes
// when its last owner releases it.
namespace GLCache {

enum Policy {
    FBOCache, // keep until replaced or released
};

using Owner = quintptr;

// owner 0: an anonymous user that holds no claim on the entry.
STROBASE_EXPORT TSFbo get(const QString& name, quint32 uid, Owner owner = 0);
STROBASE_EXPORT void set(const QString& name, const TSFbo& fbo, Policy policy, Owner owner = 0);
// Drops the entry whatever its owners.
STROBASE_EXPORT void release(const QString& name);
// Drops the owner's claim on every entry; entries nobody claims any more go.
STROBASE_EXPORT void releaseOwner(Owner owner);
STROBASE_EXPORT void clear();

} // namespace GLCache
