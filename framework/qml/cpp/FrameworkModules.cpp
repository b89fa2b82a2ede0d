#include "FrameworkModules.h"

#include "TBrushSetImporter.h"
#include "TDatabaseInterface.h"
#include "TImageExport.h"
#include "TImageImport.h"
#include "TKeyHold.h"
#include "TNetworkUtils.h"
#include "TPresetStore.h"
#include "TPreviewImage.h"
#include "TTextureCatalogue.h"
#include "TUtils.h"

#include <TStroServer.h>

#include <QtQml>

namespace {

// QML documents of a module live in the resources under the module's name.
void registerDocuments(const char* uri, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        qmlRegisterType(QUrl(QStringLiteral("qrc:/%1/%2.qml").arg(QLatin1String(uri), QLatin1String(name))), uri, 1, 0,
                        name);
}

template <typename T>
void registerSingleton(const char* uri, const char* name)
{
    qmlRegisterSingletonType<T>(uri, 1, 0, name, [](QQmlEngine*, QJSEngine*) -> QObject* { return new T; });
}

} // namespace

void registerFrameworkModule(const char* uri)
{
    const QByteArray module(uri);
    if (module == "TBase") {
        registerSingleton<TUtils>(uri, "TUtils");
        registerSingleton<TNetworkUtils>(uri, "TNetworkUtils");
        qmlRegisterType<TStroServer>(uri, 1, 0, "TStroServer");
    } else if (module == "TControls") {
        registerDocuments(uri, {"TErrorDialog", "TMessageDialog", "TDialogButton", "TDialogFrame", "TToolTip"});
    } else if (module == "TComponents") {
        qmlRegisterType<TPreviewImage>(uri, 1, 0, "TPreviewImage");
        qmlRegisterType<TKeyHold>(uri, 1, 0, "TKeyHold");
        qmlRegisterType<TTextureCatalogue>(uri, 1, 0, "TTextureCatalogue");
        registerDocuments(uri, {"TEImageView", "TProgressBar", "TToolBar", "TToolButtonIcon", "TMenuStyle",
                                "TSaveJPEGDialog", "TSaveTiffDialog", "TSavePngDialog", "TSaveDialogBase", "TComboOption", "TCheckOption",
                                "TScrollViewStyle",
                                "TEStartupBase", "TEModuleBase", "TParamPanel", "PmSlider", "PmSegments",
                                "PmToggleButtonStd", "PmTriToggleButtonStd", "PmHSLCtrlTE", "TextureBrowser",
                                "PmColorPicker", "PmPositionPicker", "PmPositionPickerOverlay", "PmDirectionPicker",
                                "TEModuleMaskingPanel", "TEModuleMaskingOverlay", "TEPreviewOverlayLoader",
                                "TEWalkThroughPanel", "TEWalkThroughText"});
    } else if (module == "TPresets") {
        qmlRegisterType<TDatabaseInterface>(uri, 1, 0, "TDatabaseInterface");
        qmlRegisterType<TBrushSetImporter>(uri, 1, 0, "TBrushSetImporter");
        qmlRegisterUncreatableType<TPresetStore>(uri, 1, 0, "TPresetStore", QStringLiteral("the database's preset member"));
        registerDocuments(uri, {"TViewImportBrush", "TViewLogin", "TViewWelcomeToCommunity"});
    } else if (module == "TEImageIO") {
        qmlRegisterType<TImageImport>(uri, 1, 0, "TImageImport");
        qmlRegisterType<TImageExport>(uri, 1, 0, "TImageExport");
    }
}
