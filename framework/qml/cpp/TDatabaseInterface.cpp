#include "TDatabaseInterface.h"

#include "TPresetStore.h"

#include <TPresetFile.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUuid>

namespace {

constexpr int kSchemaVersion = 1;

// Statements that bring a database of version N to N + 1.
const char* const kMigrations[] = {
    "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);"
    "CREATE TABLE applied (guid TEXT PRIMARY KEY, module TEXT, preset TEXT NOT NULL, applied_at TEXT);"
    "CREATE TABLE styles (guid TEXT PRIMARY KEY, module TEXT, name TEXT NOT NULL, preset TEXT NOT NULL,"
    " builtin INTEGER NOT NULL DEFAULT 0, thumbnail TEXT, position INTEGER, created TEXT);",
};

bool execAll(QSqlDatabase& db, const QString& script)
{
    for (const QString& statement : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QSqlQuery q(db);
        if (!statement.trimmed().isEmpty() && !q.exec(statement)) {
            qWarning("TDatabaseInterface: %s: %s", qPrintable(statement.left(60)), qPrintable(q.lastError().text()));
            return false;
        }
    }
    return true;
}

int schemaVersion(QSqlDatabase& db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'schema_version'")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

// A preset file's content as the text the database keeps.
QString presetText(const QVariantMap& preset)
{
    return QString::fromUtf8(QJsonDocument(TPresetFile::toJson(preset)).toJson(QJsonDocument::Compact));
}

} // namespace

TDatabaseInterface::TDatabaseInterface(QObject* parent)
    : TDatabaseInterface(QString(), QString(), parent)
{
}

TDatabaseInterface::TDatabaseInterface(const QString& path, const QString& stylesFile, QObject* parent)
    : QObject(parent)
    , m_connection(QStringLiteral("TDatabaseInterface-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_path(path)
{
    if (m_path.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(folder);
        m_path = folder + QStringLiteral("/presets.sqlite");
    }
    if (!open()) {
        // Unreadable: set it aside where the user can still find it.
        const QString aside = m_path + QStringLiteral(".unreadable-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        m_db.close();
        if (QFile::rename(m_path, aside)) {
            m_notice = tr("The preset database could not be read. It was set aside as %1 and a new one was made.")
                           .arg(QFileInfo(aside).fileName());
        }
        if (!open()) {
            m_notice = tr("The preset database %1 cannot be written; styles and presets are kept until the program ends.")
                           .arg(m_path);
            m_db.close();
            m_db.setDatabaseName(QStringLiteral(":memory:"));
            m_db.open();
            migrate();
        }
        qWarning("TDatabaseInterface: %s", qPrintable(m_notice));
    }
    m_store = new TPresetStore(m_db, this);
    loadBuiltInStyles(stylesFile.isEmpty()
                          ? QCoreApplication::applicationDirPath() + QStringLiteral("/Resources/styles/styles.json")
                          : stylesFile);
}

TDatabaseInterface::~TDatabaseInterface()
{
    delete m_store;
    m_store = nullptr;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool TDatabaseInterface::open()
{
    if (!m_db.isValid())
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    if (!m_db.open())
        return false;
    QSqlQuery check(m_db);
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()
        || check.value(0).toString() != QLatin1String("ok"))
        return false;
    return migrate();
}

bool TDatabaseInterface::migrate()
{
    const int version = schemaVersion(m_db);
    if (version > kSchemaVersion) {
        qWarning("TDatabaseInterface: database of a newer version %d", version);
        return true; // read what we understand; a newer program wrote it
    }
    if (version == kSchemaVersion)
        return true;
    if (!m_db.transaction())
        return false;
    for (int v = version; v < kSchemaVersion; ++v) {
        if (!execAll(m_db, QLatin1String(kMigrations[v]))) {
            m_db.rollback();
            return false;
        }
    }
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('schema_version', ?)"));
    q.addBindValue(kSchemaVersion);
    if (!q.exec()) {
        m_db.rollback();
        return false;
    }
    return m_db.commit();
}

void TDatabaseInterface::loadBuiltInStyles(const QString& stylesFile)
{
    QFile file(stylesFile);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("TDatabaseInterface: no built-in styles at %s", qPrintable(stylesFile));
        return;
    }
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    const QString module = root.value(QStringLiteral("module")).toString();
    const QDir folder = QFileInfo(stylesFile).absoluteDir();
    m_db.transaction();
    QSqlQuery clear(m_db);
    clear.exec(QStringLiteral("DELETE FROM styles WHERE builtin = 1"));
    int position = 0;
    for (const QJsonValue& v : root.value(QStringLiteral("styles")).toArray()) {
        const QJsonObject style = v.toObject();
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral("INSERT OR REPLACE INTO styles (guid, module, name, preset, builtin, thumbnail, position)"
                                 " VALUES (?, ?, ?, ?, 1, ?, ?)"));
        q.addBindValue(style.value(QStringLiteral("guid")).toString());
        q.addBindValue(module);
        q.addBindValue(style.value(QStringLiteral("name")).toString());
        q.addBindValue(QString::fromUtf8(QJsonDocument(style.value(QStringLiteral("preset")).toObject()).toJson(QJsonDocument::Compact)));
        q.addBindValue(QUrl::fromLocalFile(folder.filePath(style.value(QStringLiteral("thumbnail")).toString())).toString());
        q.addBindValue(position++);
        q.exec();
        m_groups.insert(style.value(QStringLiteral("guid")).toString(), style.value(QStringLiteral("group")).toString());
    }
    m_db.commit();
    emit stylesChanged();
}

QObject* TDatabaseInterface::preset() const
{
    return m_store;
}

QVariantList TDatabaseInterface::styles() const
{
    QSqlQuery q(m_db);
    // Before a module is named, the whole catalogue.
    q.prepare(QStringLiteral("SELECT guid, name, builtin, thumbnail, module FROM styles WHERE module = ? OR ? = ''"
                             " ORDER BY builtin DESC, position, name COLLATE NOCASE"));
    q.addBindValue(m_moduleUid.isNull() ? QStringLiteral("") : m_moduleUid);
    q.addBindValue(m_moduleUid.isNull() ? QStringLiteral("") : m_moduleUid);
    QVariantList list;
    if (!q.exec())
        return list;
    while (q.next()) {
        const bool builtIn = q.value(2).toBool();
        const QString group = builtIn ? m_groups.value(q.value(0).toString()) : QStringLiteral("mine");
        list << QVariantMap{{QStringLiteral("guid"), q.value(0)},
                            {QStringLiteral("name"), q.value(1)},
                            {QStringLiteral("builtIn"), builtIn},
                            {QStringLiteral("thumbnail"), q.value(3)},
                            {QStringLiteral("module"), q.value(4)},
                            {QStringLiteral("group"), group.isEmpty() ? QStringLiteral("experimental") : group}};
    }
    return list;
}

void TDatabaseInterface::setModuleUid(const QUrl& moduleUrl)
{
    // The folder of the entry document names the module; the painting
    // module's effect class is its uid.
    const QStringList parts = moduleUrl.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString uid = parts.size() >= 2 ? parts.at(parts.size() - 2) : moduleUrl.toString();
    if (uid == QLatin1String("TEStrovane"))
        uid = QStringLiteral("TStrovane");
    if (uid == m_moduleUid)
        return;
    m_moduleUid = uid;
    m_store->setModuleUid(uid);
    emit moduleUidChanged(uid);
    emit stylesChanged();
}

bool TDatabaseInterface::isBuiltIn(const QString& guid) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT builtin FROM styles WHERE guid = ?"));
    q.addBindValue(guid);
    return q.exec() && q.next() && q.value(0).toBool();
}

QString TDatabaseInterface::saveStyle(const QString& name, const QString& presetText)
{
    return insertStyle(QUuid::createUuid().toString(QUuid::WithoutBraces), name, presetText);
}

QString TDatabaseInterface::restoreStyle(const QString& guid, const QString& name, const QString& presetText)
{
    if (QUuid(guid).isNull())
        return tr("There is no such style.");
    return insertStyle(guid, name, presetText);
}

QString TDatabaseInterface::insertStyle(const QString& guid, const QString& name, const QString& presetText)
{
    if (name.trimmed().isEmpty())
        return tr("A style needs a name.");
    if (!styleNamed(name).isEmpty())
        return tr("A style named \u201c%1\u201d exists already.").arg(name.trimmed());
    if (!QJsonDocument::fromJson(presetText.toUtf8()).isObject())
        return tr("This is not a preset.");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO styles (guid, module, name, preset, builtin, created) VALUES (?, ?, ?, ?, 0, ?)"));
    q.addBindValue(guid);
    q.addBindValue(m_moduleUid);
    q.addBindValue(name.trimmed());
    q.addBindValue(presetText);
    q.addBindValue(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    if (!q.exec())
        return q.lastError().text();
    emit stylesChanged();
    return QString();
}

QString TDatabaseInterface::styleNamed(const QString& name) const
{
    const QString wanted = name.trimmed().toCaseFolded();
    for (const QVariant& style : styles()) {
        const QVariantMap s = style.toMap();
        if (s.value(QStringLiteral("name")).toString().trimmed().toCaseFolded() == wanted)
            return s.value(QStringLiteral("guid")).toString();
    }
    return QString();
}

QString TDatabaseInterface::updateStyle(const QString& guid, const QString& presetText)
{
    if (isBuiltIn(guid))
        return tr("Built-in styles cannot be changed; save a copy under a name of your own.");
    if (!QJsonDocument::fromJson(presetText.toUtf8()).isObject())
        return tr("This is not a preset.");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE styles SET preset = ? WHERE guid = ? AND builtin = 0"));
    q.addBindValue(presetText);
    q.addBindValue(guid);
    if (!q.exec() || q.numRowsAffected() != 1)
        return tr("There is no such style.");
    emit stylesChanged();
    return QString();
}

QString TDatabaseInterface::renameStyle(const QString& guid, const QString& name)
{
    if (isBuiltIn(guid))
        return tr("Built-in styles cannot be renamed; save a copy under a name of your own.");
    if (name.trimmed().isEmpty())
        return tr("A style needs a name.");
    const QString named = styleNamed(name);
    if (!named.isEmpty() && named != guid)
        return tr("A style named \u201c%1\u201d exists already.").arg(name.trimmed());
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE styles SET name = ? WHERE guid = ? AND builtin = 0"));
    q.addBindValue(name.trimmed());
    q.addBindValue(guid);
    if (!q.exec() || q.numRowsAffected() != 1)
        return tr("There is no such style.");
    emit stylesChanged();
    return QString();
}

QString TDatabaseInterface::deleteStyle(const QString& guid)
{
    if (isBuiltIn(guid))
        return tr("Built-in styles cannot be deleted.");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM styles WHERE guid = ? AND builtin = 0"));
    q.addBindValue(guid);
    if (!q.exec() || q.numRowsAffected() != 1)
        return tr("There is no such style.");
    emit stylesChanged();
    return QString();
}

QString TDatabaseInterface::importStyle(const QUrl& presetFile)
{
    QVariantMap preset;
    QString error;
    if (!TPresetFile::read(presetFile.toLocalFile(), &preset, &error))
        return error;
    // A name taken already gets a number.
    const QString base = QFileInfo(presetFile.toLocalFile()).completeBaseName().trimmed();
    QString name = base;
    for (int n = 2; !styleNamed(name).isEmpty(); ++n)
        name = QStringLiteral("%1 %2").arg(base).arg(n);
    return saveStyle(name, presetText(preset));
}

QString TDatabaseInterface::exportStyle(const QString& guid, const QUrl& presetFile)
{
    const QJsonDocument doc = QJsonDocument::fromJson(presetOf(guid).toUtf8());
    if (!doc.isObject())
        return tr("There is no such style.");
    QString error;
    if (!TPresetFile::write(presetFile.toLocalFile(), doc.object().toVariantMap(), &error))
        return error;
    return QString();
}

QString TDatabaseInterface::presetOf(const QString& guid) const
{
    return m_store->presetOf(guid);
}
