#pragma once

#include <QObject>
#include <QVariantList>

// The brush sets or the canvases in the framework's resource folder, as the
// browsers list them: GUID, name and thumbnail of each, in the order of
// their list file ("brushsets.json" or "canvases.json").
class TTextureCatalogue : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString kind READ kind WRITE setKind NOTIFY itemsChanged)
    Q_PROPERTY(QVariantList items READ items NOTIFY itemsChanged)
public:
    explicit TTextureCatalogue(QObject* parent = nullptr);

    // The list of a kind has changed on disk: every catalogue of that kind
    // reads it again.
    static void listChanged(const QString& kind);

    // "brushsets" or "canvases".
    QString kind() const { return m_kind; }
    void setKind(const QString& kind);
    QVariantList items() const { return m_items; }
    // Reads the list again.
    Q_INVOKABLE void reload();
    // The name of an item, empty when the GUID is not listed.
    Q_INVOKABLE QString nameOf(const QString& guid) const;

signals:
    void itemsChanged();

private:
    QString m_kind;
    QVariantList m_items;
};
