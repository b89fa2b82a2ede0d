#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: a Qt application (Qt SQL and the image
// plug-ins want one), quiet logging, and a private folder in which an input
// becomes the file that the code under test reads.
namespace fuzz {

inline void init(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
}

inline const QTemporaryDir& folder()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/strovane-fuzz-XXXXXX"));
    return dir;
}

// Writes the input to name in the private folder and returns its path.
inline QString asFile(const QString& name, const std::uint8_t* data, std::size_t size)
{
    const QString path = folder().filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace fuzz
