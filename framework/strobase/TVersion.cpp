#include "TVersion.h"

#include <QStringList>

QString TVersion::toString() const
{
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

bool TVersion::parse(const QString& text, TVersion* out)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.isEmpty() || parts.size() > 2)
        return false;
    bool okMajor = false, okMinor = true;
    const int major = parts[0].toInt(&okMajor);
    const int minor = parts.size() == 2 ? parts[1].toInt(&okMinor) : 0;
    if (!okMajor || !okMinor || major < 0 || minor < 0)
        return false;
    *out = TVersion{major, minor};
    return true;
}
