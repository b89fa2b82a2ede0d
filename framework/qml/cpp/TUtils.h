#pragma once

#include <QObject>
#include <QUrl>
#include <QVariantMap>

// Small helpers the QML documents share (the TUtils singleton of TBase).
class TUtils : public QObject {
    Q_OBJECT
    // A stable identity of this machine, the same at every start.
    Q_PROPERTY(QString systemUid READ systemUid CONSTANT)
public:
    using QObject::QObject;

    QString systemUid() const;

    // Keeps an animation alive while the GUI thread is busy loading.
    Q_INVOKABLE void processEvents();
    // A local path or a URL as text, as a URL.
    Q_INVOKABLE QUrl stringToUrl(const QString& text) const;
    // The file name of a URL, without its folder.
    Q_INVOKABLE QString urlToFileName(const QUrl& url) const;
    Q_INVOKABLE QString urlToLocalPath(const QUrl& url) const;
    // The URL of the folder a file URL is in.
    Q_INVOKABLE QUrl folderOf(const QUrl& url) const;
    // A preset ({"version", "params"}) as compact JSON text.
    Q_INVOKABLE QString presetToString(const QVariantMap& preset) const;
};
