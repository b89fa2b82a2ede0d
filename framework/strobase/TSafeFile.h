#pragma once

#include "strobase_global.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Files that come from outside are opened without blocking and only when
// they are regular files (a FIFO or a device is refused at once, never read
// from), and read only up to what their kind can hold. Files we write go to
// a temporary file renamed into place, never through a symbolic link, and a
// failure says what the system said ("No space left on device").
namespace TSafeFile {

// Opens path for reading when it is a regular file.
STROBASE_EXPORT bool openForReading(const QString& path, QFile* file, QString* error);
// The whole file when it holds at most limit bytes.
STROBASE_EXPORT bool readSmall(const QString& path, qint64 limit, QByteArray* data, QString* error);
// data into path, replacing it whole or not at all.
STROBASE_EXPORT bool write(const QString& path, const QByteArray& data, QString* error);
// Why path may not be written to ("... is a symbolic link"); empty when it may.
STROBASE_EXPORT QString writeProblem(const QString& path);
// The path of an open file that other code may open again: the same file,
// whatever the name has come to stand for since.
STROBASE_EXPORT QString samePath(const QFile& file);

} // namespace TSafeFile
