#include "AppStart.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace AppStart {

Mode chooseMode(const QString& programToken, const QStringList& arguments)
{
    if (programToken == QLatin1String("Velmora_Strovane") || programToken == QLatin1String("Velmora Strovane"))
        return Mode::PhotoshopPlugin;
    return arguments.isEmpty() ? Mode::Standalone : Mode::ExternalEditor;
}

bool isSupportedImage(const QString& path)
{
    static const QStringList suffixes{"JPG", "TIF", "PNG", "JPEG", "TIFF"};
    return suffixes.contains(QFileInfo(path).suffix().toUpper());
}

float fontScale(int maxCharWidth)
{
    const float scale = 25.0f / float(maxCharWidth + 2);
    return std::clamp(scale, 0.5f, 1.0f);
}

QString singleInstanceKey()
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QByteArrayLiteral("Velmora Strovane 2"), QCryptographicHash::Md5).toHex());
}

QString dataFolder()
{
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/../Velmora Labs/"))
        + QLatin1Char('/');
}

QString tgrcFolder()
{
    return QDir::toNativeSeparators(
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/tgrc/")));
}

} // namespace AppStart
