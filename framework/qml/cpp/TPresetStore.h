#pragma once

#include <QObject>
#include <QSqlDatabase>

// The presets the program applied, each under a GUID: the Photoshop
// plug-in keeps the GUID with the host's action and replays it later.
class TPresetStore : public QObject {
    Q_OBJECT
public:
    TPresetStore(QSqlDatabase db, QObject* parent);

    void setModuleUid(const QString& moduleUid) { m_module = moduleUid; }

    // Stores the preset text (JSON) and gives it a new GUID; empty when it
    // could not be stored.
    Q_INVOKABLE QString storeLastAppliedPreset(const QString& presetText);
    Q_INVOKABLE QString getLastAppliedPresetGuid() const;
    // The preset text stored under a GUID (applied or a style), empty when
    // there is none.
    Q_INVOKABLE QString presetOf(const QString& guid) const;

private:
    QSqlDatabase m_db;
    QString m_module;
};
