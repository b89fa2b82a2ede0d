#pragma once

#include <QQmlExtensionPlugin>

// The painting module as a QML extension: `import TEStrovane 1.0` gives the
// types TStrovane and TStyleThumbnails (with the image provider of the
// thumbnails), registers the effect with the framework's factory, and
// makes the module's shaders and screens available under /TEStrovane/.
class TKestrioPlugin : public QQmlExtensionPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QQmlExtensionInterface")
public:
    void registerTypes(const char* uri) override;
    void initializeEngine(QQmlEngine* engine, const char* uri) override;
};
