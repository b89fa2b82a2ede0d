#include "TUtils.h"

#include <TPresetFile.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSysInfo>

QString TUtils::systemUid() const
{
    // Hashed, so that the machine's own id never leaves it.
    QByteArray id = QSysInfo::machineUniqueId();
    if (id.isEmpty())
        id = QSysInfo::machineHostName().toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash("strovane:" + id, QCryptographicHash::Md5).toHex());
}

void TUtils::processEvents()
{
    QCoreApplication::processEvents();
}

QUrl TUtils::stringToUrl(const QString& text) const
{
    const QUrl url(text);
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(text);
}

QString TUtils::urlToFileName(const QUrl& url) const
{
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : url.fileName();
}

QString TUtils::urlToLocalPath(const QUrl& url) const
{
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

QUrl TUtils::folderOf(const QUrl& url) const
{
    return QUrl::fromLocalFile(QFileInfo(urlToLocalPath(url)).absolutePath());
}

QString TUtils::presetToString(const QVariantMap& preset) const
{
    return QString::fromUtf8(QJsonDocument(TPresetFile::toJson(preset)).toJson(QJsonDocument::Compact));
}
