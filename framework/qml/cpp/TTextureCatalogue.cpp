#include "TTextureCatalogue.h"

#include <Strobase.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

void TTextureCatalogue::setKind(const QString& kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    reload();
}

void TTextureCatalogue::reload()
{
    m_items.clear();
    const QDir folder(Strobase::tgrcFolder());
    QFile list(folder.filePath(m_kind + QStringLiteral(".json")));
    if (list.open(QIODevice::ReadOnly)) {
        for (const QJsonValue& v : QJsonDocument::fromJson(list.readAll()).array()) {
            const QJsonObject o = v.toObject();
            const QString thumbnail = o.value(QStringLiteral("thumbnail")).toString();
            m_items << QVariantMap{
                {QStringLiteral("guid"), o.value(QStringLiteral("guid")).toString()},
                {QStringLiteral("name"), o.value(QStringLiteral("name")).toString()},
                {QStringLiteral("thumbnail"),
                 thumbnail.isEmpty() ? QString() : QUrl::fromLocalFile(folder.filePath(thumbnail)).toString()}};
        }
    }
    emit itemsChanged();
}

QString TTextureCatalogue::nameOf(const QString& guid) const
{
    for (const QVariant& item : m_items)
        if (item.toMap().value(QStringLiteral("guid")).toString() == guid)
            return item.toMap().value(QStringLiteral("name")).toString();
    return QString();
}
