#include "TPresetStore.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

TPresetStore::TPresetStore(QSqlDatabase db, QObject* parent)
    : QObject(parent)
    , m_db(std::move(db))
{
}

QString TPresetStore::storeLastAppliedPreset(const QString& presetText)
{
    if (!QJsonDocument::fromJson(presetText.toUtf8()).isObject()) {
        qWarning("TPresetStore: not a preset: %s", qPrintable(presetText.left(80)));
        return QString();
    }
    const QString guid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO applied (guid, module, preset, applied_at) VALUES (?, ?, ?, ?)"));
    q.addBindValue(guid);
    q.addBindValue(m_module);
    q.addBindValue(presetText);
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    if (!q.exec()) {
        qWarning("TPresetStore: cannot store the applied preset");
        return QString();
    }
    return guid;
}

QString TPresetStore::getLastAppliedPresetGuid() const
{
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("SELECT guid FROM applied ORDER BY rowid DESC LIMIT 1"));
    return q.next() ? q.value(0).toString() : QString();
}

QString TPresetStore::presetOf(const QString& guid) const
{
    for (const char* sql : {"SELECT preset FROM applied WHERE guid = ?", "SELECT preset FROM styles WHERE guid = ?"}) {
        QSqlQuery q(m_db);
        q.prepare(QLatin1String(sql));
        q.addBindValue(guid);
        if (q.exec() && q.next())
            return q.value(0).toString();
    }
    return QString();
}
