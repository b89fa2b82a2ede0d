#pragma once

#include <QString>
#include <QVariantMap>

// Turns a version 0.0 parameter map (dotted keys) into a version 2.0 one.
QVariantMap presetToV20(const QVariantMap& old);
