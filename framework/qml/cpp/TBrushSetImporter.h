#pragma once

#include <QObject>
#include <QUrl>

// Adds a brush set from files (its description "<GUID>.json" with the atlas
// "<GUID>normal.png" beside it, and an optional "<GUID>thumb.png") to the
// user's brush folder, after checking that the painting can use it. A set
// that fails a check is refused and nothing is copied.
class TBrushSetImporter : public QObject {
    Q_OBJECT
public:
    // folder empty: the framework's resource folder.
    explicit TBrushSetImporter(QObject* parent = nullptr);
    TBrushSetImporter(const QString& folder, QObject* parent);

    // Empty on success, else why the set was refused.
    Q_INVOKABLE QString importBrushSet(const QUrl& descriptionFile);

private:
    QString m_folder;
};
