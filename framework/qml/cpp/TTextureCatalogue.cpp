#include "TTextureCatalogue.h"

#include <Strobase.h>
#include <TSafeFile.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace {

// Tells every catalogue of the process that a list has changed.
class ListNotifier : public QObject {
    Q_OBJECT
signals:
    void changed(const QString& kind);
};

ListNotifier& notifier()
{
    static ListNotifier instance;
    return instance;
}

// The names of all brush sets and canvases: far less than this.
constexpr qint64 kMaxListBytes = 4 * 1024 * 1024;

} // namespace

TTextureCatalogue::TTextureCatalogue(QObject* parent)
    : QObject(parent)
{
    connect(&notifier(), &ListNotifier::changed, this, [this](const QString& kind) {
        if (kind == m_kind)
            reload();
    });
}

void TTextureCatalogue::listChanged(const QString& kind)
{
    emit notifier().changed(kind);
}

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
    QByteArray list;
    QString error;
    if (TSafeFile::readSmall(folder.filePath(m_kind + QStringLiteral(".json")), kMaxListBytes, &list, &error)) {
        for (const QJsonValue& v : QJsonDocument::fromJson(list).array()) {
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

#include "TTextureCatalogue.moc"
