#pragma once

#include "strobase_global.h"

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

// Preset files: JSON {"version": "2.0", "params": {...}}. Values are decoded
// as JSON gives them (numbers, booleans, strings, [x, y] lists); the effect
// converts them to its parameter types when it applies the preset.
namespace TPresetFile {

STROBASE_EXPORT bool read(const QString& path, QVariantMap* preset, QString* error);
// The same from the text of a preset (as the preset database keeps it); the
// error then says what is wrong without a file name ("is not valid JSON...").
STROBASE_EXPORT bool fromText(const QByteArray& text, QVariantMap* preset, QString* error);
// Written to a temporary file and renamed into place.
STROBASE_EXPORT bool write(const QString& path, const QVariantMap& preset, QString* error);

// A parameter map in the preset encoding (points [x, y], colours
// "#rrggbbaa", invalid values null).
STROBASE_EXPORT QJsonObject paramsToJson(const QVariantMap& params);
// A whole preset ({"version", "params"}) as the file holds it.
STROBASE_EXPORT QJsonObject toJson(const QVariantMap& preset);

} // namespace TPresetFile
