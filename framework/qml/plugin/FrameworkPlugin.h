#pragma once

#include <QQmlExtensionPlugin>

// One of the framework's QML modules; each module folder has its own copy
// of this plug-in, since the QML engine ties a plug-in library to one URI.
class FrameworkPlugin : public QQmlExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QQmlExtensionInterface")
public:
    void registerTypes(const char* uri) override;
};
