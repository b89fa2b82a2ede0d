#pragma once

#include <QMap>
#include <QString>

// The brush sets and canvases supplied with the product, by the names that
// old (version 0.0) presets use: brush-set type names ("type01") and canvas
// display names, each mapped to its GUID.
const QMap<QString, QString>& brushSetTypes();
const QMap<QString, QString>& canvasCatalogue();
