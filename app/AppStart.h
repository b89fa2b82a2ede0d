#pragma once

#include <QString>
#include <QStringList>

// The decisions start-up takes before any window exists.
namespace AppStart {

enum class Mode { Standalone, PhotoshopPlugin, ExternalEditor };

// The program-name token "Velmora_Strovane" or "Velmora Strovane" means the
// Photoshop plug-in started us (whatever follows); otherwise a first
// argument makes us an external editor.
Mode chooseMode(const QString& programToken, const QStringList& arguments);
// JPG, TIF, PNG, JPEG, TIFF in any case; the suffix is what follows the
// last dot.
bool isSupportedImage(const QString& path);
// 25 / (widest character + 2) of the default font, between 0.5 and 1.
float fontScale(int maxCharWidth);
// The lower-case hexadecimal MD5 of "Velmora Strovane 2".
QString singleInstanceKey();
// The per-user data folder (with a trailing slash) and resource folder.
QString dataFolder();
QString tgrcFolder();

} // namespace AppStart
