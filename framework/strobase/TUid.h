#pragma once

#include "strobase_global.h"

#include <QRect>
#include <QSize>
#include <QStringList>
#include <QVariantMap>

// 32-bit identities of cached results: FNV-1a over a canonical byte form of
// the values (integers little-endian, floats and doubles by their bits,
// strings as UTF-16, points and sizes component-wise, colours as RGBA8), so
// the same values always give the same identity and any change gives
// another.
namespace TUid {

STROBASE_EXPORT quint32 hash(quint32 a, quint32 b);
STROBASE_EXPORT quint32 hash(int a, quint32 b);
STROBASE_EXPORT quint32 hash(const QSize& size, quint32 b);
STROBASE_EXPORT quint32 hash(const QRect& rect, quint32 b);
STROBASE_EXPORT quint32 hash(float value);
// The listed keys with their values in the map, in list order, then seed.
STROBASE_EXPORT quint32 hash(const QStringList& keys, const QVariantMap& values, quint32 seed);

} // namespace TUid
