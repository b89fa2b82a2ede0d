#include "TKestrioPlugin.h"

#include "StrovaneModule.h"
#include "TStrovane.h"
#include "THueRangeMarks.h"
#include "TStyleThumbnailProvider.h"
#include "TStyleThumbnails.h"

#include <QtQml>

static void registerScreens()
{
    Q_INIT_RESOURCE(strovane_qml);
}

static void registerShaders()
{
    Q_INIT_RESOURCE(strovane_shaders);
}

void TKestrioPlugin::registerTypes(const char* uri)
{
    static bool screensRegistered = false;
    if (!screensRegistered) {
        registerScreens();
        screensRegistered = true;
    }
    registerShaders();
    qmlRegisterType<TStrovane>(uri, 1, 0, "TStrovane");
    qmlRegisterType<THueRangeMarks>(uri, 1, 0, "THueRangeMarks");
    qmlRegisterType<TStyleThumbnails>(uri, 1, 0, "TStyleThumbnails");
    registerStrovaneClasses();
}

void TKestrioPlugin::initializeEngine(QQmlEngine* engine, const char*)
{
    if (!engine->imageProvider(QLatin1String(TStyleThumbnailProvider::kName)))
        engine->addImageProvider(QLatin1String(TStyleThumbnailProvider::kName), new TStyleThumbnailProvider);
}
