#pragma once

#include <QMap>
#include <QString>
#include <QVariantMap>

// Old (version 0.0) presets name the brush set by a type name and the canvas
// by its display name; these tables give the GUIDs of version 2.0.
const QMap<QString, QString>& brushSetTypes();
const QMap<QString, QString>& canvasCatalogue();

// Turns a version 0.0 parameter map (dotted keys) into a version 2.0 one.
QVariantMap presetToV20(const QVariantMap& old);
