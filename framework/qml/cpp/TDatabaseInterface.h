#pragma once

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QUrl>
#include <QVariantList>

class TPresetStore;

// The preset database (SQLite in the user's data folder): the presets the
// program applied, and the catalogue of painting styles, the built-in ones
// (read-only, refreshed from the installed list at every start) and the
// user's own. A database file that cannot be read is set aside and a fresh
// one made; notice then tells the user.
class TDatabaseInterface : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString module_uid READ moduleUid NOTIFY moduleUidChanged)
    Q_PROPERTY(QObject* preset READ preset CONSTANT)
    Q_PROPERTY(QVariantList styles READ styles NOTIFY stylesChanged)
    Q_PROPERTY(QString notice READ notice CONSTANT)
    Q_PROPERTY(QString path READ path CONSTANT)
public:
    // path empty: "presets.sqlite" in the application's data folder;
    // stylesFile empty: "Resources/styles/styles.json" beside the program.
    explicit TDatabaseInterface(QObject* parent = nullptr);
    TDatabaseInterface(const QString& path, const QString& stylesFile, QObject* parent = nullptr);
    ~TDatabaseInterface() override;

    QString moduleUid() const { return m_moduleUid; }
    QObject* preset() const;
    QVariantList styles() const;
    QString notice() const { return m_notice; }
    QString path() const { return m_path; }

    // The module's effect class from its entry's URL
    // ("qrc:/TEStrovane/TModuleEntry.qml" -> "TStrovane").
    Q_INVOKABLE void setModuleUid(const QUrl& moduleUrl);

    // The user's own styles. Each returns an empty text on success, else why
    // not; built-in styles cannot be changed. Names are trimmed, not empty,
    // and unique whatever their case.
    Q_INVOKABLE QString saveStyle(const QString& name, const QString& presetText);
    Q_INVOKABLE QString renameStyle(const QString& guid, const QString& name);
    // The style's settings replaced by presetText.
    Q_INVOKABLE QString updateStyle(const QString& guid, const QString& presetText);
    Q_INVOKABLE QString deleteStyle(const QString& guid);
    // A deleted style back under its guid, name and settings.
    Q_INVOKABLE QString restoreStyle(const QString& guid, const QString& name, const QString& presetText);
    // The guid of the style of that name (trimmed, any case); empty if none.
    Q_INVOKABLE QString styleNamed(const QString& name) const;
    Q_INVOKABLE QString importStyle(const QUrl& presetFile);
    Q_INVOKABLE QString exportStyle(const QString& guid, const QUrl& presetFile);
    Q_INVOKABLE QString presetOf(const QString& guid) const;

signals:
    void moduleUidChanged(const QString& moduleUid);
    void stylesChanged();

private:
    bool open();
    bool migrate();
    void loadBuiltInStyles(const QString& stylesFile);
    bool isBuiltIn(const QString& guid) const;
    QString insertStyle(const QString& guid, const QString& name, const QString& presetText);

    QString m_connection;
    QString m_path;
    QString m_notice;
    QString m_moduleUid;
    // The built-in styles' groups by guid, as the installed list gives them
    // ("oil", "watercolour", "pastel", "ink", "experimental"); the user's
    // own are "mine".
    QHash<QString, QString> m_groups;
    QSqlDatabase m_db;
    TPresetStore* m_store = nullptr;
};
