#pragma once

#include "strobase_global.h"

#include <QJsonValue>
#include <QString>
#include <QVariant>

// The value types an effect parameter can have, and the conversions every
// reader and writer of parameters shares: state data, presets, command lines.
enum class TParamType { Float, Int, Bool, String, Point, Colour };

namespace TParam {

STROBASE_EXPORT QString typeName(TParamType type);

// The value a missing or unconvertible parameter reads as.
STROBASE_EXPORT QVariant zeroValue(TParamType type);

// Converts any stored variant (including what a JSON file yields: numbers,
// strings, [x, y] lists, "#rrggbbaa" texts) to the parameter's type; a value
// that cannot be converted gives the zero value.
STROBASE_EXPORT QVariant convert(const QVariant& value, TParamType type);

// Fuzzy comparison for floats and points; exact for the other types.
STROBASE_EXPORT bool isDifferent(float a, float b);
STROBASE_EXPORT bool isDifferent(const QPointF& a, const QPointF& b);

// Colours are written in CSS order, "#rrggbbaa"; "#rrggbb" reads as opaque.
STROBASE_EXPORT QString colourToText(const QColor& colour);
STROBASE_EXPORT QColor colourFromText(const QString& text);

// Preset encoding: numbers, booleans and strings as JSON values, points as
// [x, y], colours as "#rrggbbaa", an invalid value as null.
STROBASE_EXPORT QJsonValue toJson(const QVariant& value);
STROBASE_EXPORT QVariant fromJson(const QJsonValue& value);

// The same encoding as plain text ("0.5,0.5", "#000000ff", "false"), for
// listings and command-line values. fromText reports unparsable text.
STROBASE_EXPORT QString toText(const QVariant& value);
STROBASE_EXPORT bool fromText(const QString& text, TParamType type, QVariant* out);

} // namespace TParam
