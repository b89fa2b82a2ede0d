#pragma once

#include <QQmlExtensionPlugin>

// The history module as a QML extension: `import TEHistoryRoll 1.0` gives the
// type TApplyHistory, registers it with the framework's factory, and makes
// the shell's screens available under /TEHistoryRoll/.
class TKestrioPlugin : public QQmlExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QQmlExtensionInterface")
public:
    void registerTypes(const char* uri) override;
};
