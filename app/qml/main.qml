import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Window 2.2
import QtQuick.Dialogs 1.2
import Qt.labs.settings 1.0
import TBase 1.0
import TControls 1.0
import TComponents 1.0
import TEImageIO 1.0
import TEStrovane 1.0
import TEHistoryRoll 1.0
import VmAppDelegate 1.0
import "qrc:/TBase/TmConfigure.js" as TC
import "qrc:/TBase/Jsutils.js" as JS
import "qrc:/TBase/DebugTools.js" as DBG

// The main window: starts the GPU server and the preset database behind a
// splash, then loads the history shell and the painting module over it,
// and routes the painting by the run mode when the module finishes.
ApplicationWindow {
    id: vmMain
    title: tAppDelegate.getAppName() + " V" + tAppDelegate.getAppVersion()
    width: 1024
    height: 572
    minimumWidth: 705
    minimumHeight: 335
    color: TC.colorPanel
    // Shown once its first geometry is set (Component.onCompleted): a
    // window mapped at the declared size can be put back to it by the
    // server's late answer.
    visible: false

    property real fontSizeStd: Math.round(11 * fontScale)
    property string fileName: ""
    property alias mainKeyHandler: _keyHandler
    property var globalActions
    property var tDatabase
    property var tLogin
    property var tImportBrush
    property var tViewWelcomeToCommunity
    property string lastAppliedParamsId: ""
    // No welcome comes up by itself any more: the user closed it before the
    // painting module came (which then puts up none of its own), or a host
    // started the program to paint its picture, and Return and Escape are
    // to apply and cancel at once (Help still shows the welcome).
    property bool welcomeOver: tAppDelegate.editorMode === VmAppDelegate.PhotoshopPlugin

    // Something lies over the modules (a welcome, an overlay of the Help
    // menu): the modules' own keys wait.
    readonly property bool overlayShown: tStartup.visible || (tLogin !== undefined && tLogin.visible)
                                         || (tViewWelcomeToCommunity !== undefined && tViewWelcomeToCommunity.visible)
    readonly property string paintingModuleUrl: "qrc:/TEStrovane/TModuleEntry.qml"
    readonly property string shellUrl: "qrc:/TEHistoryRoll/TModuleEntry.qml"

    function prepareToQuitApp() {
        if (!moduleLoader.item || !moduleLoader.item.teffect) {
            console.log("Qt.quit called directly ____________")
            Qt.quit()
            return
        }
        moduleLoader.item.teffect.prepareToQuit()
    }

    function loadPaintingModule() {
        tDatabase.setModuleUid(paintingModuleUrl)
        moduleLoader.setSource(paintingModuleUrl, { input: topLevelLoader.item.output })
    }

    // Tells the user why the program ends and ends it with exitCode, so
    // that whoever started it does not take the failure for success.
    function exitWithError(message, exitCode) {
        tMessageDialog.show(message, qsTr("Error"))
        tMessageDialog.answered.connect(function() { Qt.exit(exitCode) })
    }

    // Brings the window to the front (another copy handed it an image).
    function bringToFront() {
        if (visibility === Window.Minimized)
            showNormal()
        raise()
        requestActivate()
    }

    function loadShellWhenReady() {
        if (tNodeProcServer.isReady && databaseLoader.status === Loader.Ready && topLevelLoader.source == "")
            topLevelLoader.source = shellUrl
    }

    Component.onCompleted: {
        // The first start opens over most of the screen, centred; later ones
        // where the user left the window (mainSettings keeps it, and writes
        // its defaults as soon as it exists: windowPlaceKept tells).
        // The attached Screen may not know its screen yet here (zero
        // sizes): the primary screen always does.
        if (!windowPlaceKept && Qt.application.screens.length > 0) {
            var screen = Qt.application.screens[0]
            width = Math.max(width, Math.round(screen.desktopAvailableWidth * 0.8))
            height = Math.max(height, Math.round(screen.desktopAvailableHeight * 0.8))
            x = screen.virtualX + Math.round((screen.desktopAvailableWidth - width) / 2)
            y = screen.virtualY + Math.round((screen.desktopAvailableHeight - height) / 2)
        }
        visible = true
        TUtils.processEvents()
        console.log("systemUid: " + TUtils.systemUid)
    }

    onClosing: {
        console.log("Main.qml onClosing - ")
        close.accepted = false
        if (globalActions)
            globalActions.actExit.trigger()
        else
            Qt.quit() // nothing loaded yet: nothing to lose
    }

    TStroServer {
        id: tNodeProcServer
        Component.onCompleted: {
            console.log("StroServer complete - start loading module")
            tAppDelegate.copyTgrcToLocalAppData()
            databaseLoader.source = "qrc:/TDataBaseEntry.qml"
            TUtils.processEvents()
            splashLoader.source = "qrc:/TSplash.qml"
        }
        onIsReadyChanged: {
            console.log("StroServer Ready - start loading module")
            TUtils.processEvents()
            loadShellWhenReady()
        }
    }

    TEStartupBase {
        id: tStartup
        z: 100
        heading: qsTr("Welcome to %1").arg(tAppDelegate.getAppName())
        text: qsTr("Your photograph becomes a painting: brush strokes follow its shapes, coloured from the picture.\n\n"
                   + "Pick a brush and tune size, colour, light and canvas on the right; the preview paints as you go. "
                   + "Apply when you like it, then save the painting.")
        showAtStartup: mainSettings.showStartupWindow
        onShowAtStartupChanged: mainSettings.showStartupWindow = showAtStartup
        onClosed: if (!moduleLoader.item) vmMain.welcomeOver = true
        buttons: TDialogButton {
            text: qsTr("Open Image...")
            visible: tAppDelegate.editorMode === VmAppDelegate.Standalone
            onClicked: {
                tStartup.hide()
                globalActions.actNewProject.trigger()
            }
        }
    }

    Loader {
        id: topLevelLoader
        anchors.fill: parent
        onLoaded: {
            globalActions = item.mainActions
            vmMain.menuBar = item.mainMenu
            console.log("--- toplevel module loaded -", source)
            item.loadModule.connect(function(moduleUrl) {
                console.log("------ START loading module: " + moduleUrl)
                tDatabase.setModuleUid(moduleUrl)
                moduleLoader.setSource(moduleUrl, { input: topLevelLoader.item.output })
            })
            if (mainSettings.showStartupWindow && !vmMain.welcomeOver) {
                console.log("start-up window shown")
                tStartup.show()
            }
            switch (tAppDelegate.editorMode) {
            case VmAppDelegate.Standalone:
                if (mainSettings.useExampleImage)
                    globalActions.newProject(TUtils.stringToUrl(tAppDelegate.getAppResourceDirPath() + "images/example.jpg"))
                else
                    // Once the window is ready behind the open dialog.
                    Qt.callLater(globalActions.actNewProject.trigger)
                break
            case VmAppDelegate.PhotoshopPlugin:
                if (!tPSImageData.loadPSImage())
                    console.log("Error: failed to load PS image data!")
                vmMain.fileName = "PhotoshopPlugin"
                break
            case VmAppDelegate.ExternalEditor:
                globalActions.newProject(TUtils.stringToUrl(tAppDelegate.fileName))
                vmMain.fileName = TUtils.urlToFileName(TUtils.stringToUrl(tAppDelegate.fileName))
                break
            }
            loadPaintingModule()
        }
    }

    Loader {
        id: moduleLoader
        anchors.fill: parent

        function moduleExit(isApplied) {
            console.log("applied: " + isApplied)
            switch (tAppDelegate.editorMode) {
            case VmAppDelegate.Standalone:
                if (isApplied) {
                    topLevelLoader.item.pushImage(moduleLoader.item.output, "applied")
                    globalActions.actSaveImage.trigger()
                } else {
                    globalActions.actExit.trigger()
                }
                break
            case VmAppDelegate.PhotoshopPlugin:
                if (isApplied) {
                    tPSImageData.savePSImage(moduleLoader.item.output)
                } else {
                    tAppDelegate.errorCode = VmAppDelegate.ERR_USERCANCELLED
                    globalActions.quitApp()
                }
                break
            case VmAppDelegate.ExternalEditor:
                if (isApplied)
                    moduleLoader.item.saveImageToLr(tAppDelegate.fileName)
                else
                    globalActions.quitApp()
                break
            }
        }

        // The external editor's write-back ended: the caller gets its file
        // back and the program ends; a failure is told and ends it without
        // claiming success.
        function lrSaveEnded(success, message) {
            if (success) {
                vmMain.prepareToQuitApp()
                return
            }
            tAppDelegate.errorCode = VmAppDelegate.ERR_UNKNOWN
            vmMain.exitWithError(qsTr("The painting could not be written into %1; the file was left as it was.")
                                 .arg(tAppDelegate.fileName) + "\n\n" + message, 2)
        }

        onLoaded: {
            tStartup.hide()
            item.input = Qt.binding(function() { return topLevelLoader.item.output })
            vmMain.menuBar = item.mainMenu
            item.finished.connect(moduleExit)
            item.imageSavedToLr.connect(lrSaveEnded)
            console.log("------ DONE loading module: " + source)
        }
        onStatusChanged: {
            if (status === Loader.Null && topLevelLoader.item)
                vmMain.menuBar = topLevelLoader.item.mainMenu
        }
    }

    Loader {
        id: databaseLoader
        anchors.fill: parent
        asynchronous: true
        onLoaded: {
            splashLoader.source = ""
            tDatabase = item.tDatabase
            tLogin = item.tLogin
            tImportBrush = item.tImportBrush
            tViewWelcomeToCommunity = item.tViewWelcomeToCommunity
            if (tDatabase.notice !== "")
                tMessageDialog.show(tDatabase.notice, qsTr("Preset Database"))
            loadShellWhenReady()
            TUtils.processEvents()
        }
    }

    Loader {
        id: splashLoader
        anchors.centerIn: parent
    }

    Settings {
        id: mainSettings
        category: "appMain"
        property alias vmMain_x: vmMain.x
        property alias vmMain_y: vmMain.y
        property alias vmMain_width: vmMain.width
        property alias vmMain_height: vmMain.height
        property bool showStartupWindow: true
        property bool startWithPresetPanel: true
        property bool useExampleImage: true
        property bool showPainting: true
        property bool lowResolutionMode: false
        property url openPath: tAppDelegate.getUserPictureDirUrl()
        property url savePath: tAppDelegate.getUserPictureDirUrl()
        property int savedCategory: 3
        property bool showWelcomeCloud: true
    }

    // When what had the focus goes (an overlay closes), the keys come back
    // here, so that the window's keys (Return, Escape, backslash) work on.
    onActiveFocusItemChanged: Qt.callLater(function() {
        if (active && (!activeFocusItem || activeFocusItem === contentItem))
            _keyHandler.forceActiveFocus()
    })

    Item {
        id: _keyHandler
        focus: true
        Keys.onPressed: {
            if (moduleLoader.item)
                moduleLoader.item.handleKeyPressedEvent(event)
        }
        Keys.onReleased: {
            if (moduleLoader.item)
                moduleLoader.item.handleKeyReleasedEvent(event)
        }
    }

    QtObject {
        id: dynamicObjectCreator
        objectName: "dynamicDialogCreator_main_mainapp"
        property Component c

        function create(q, properties) {
            c = Qt.createComponent(q)
            if (c.status === Component.Error) {
                var text = "    main.qml::dynamicObjectCreator::create(q): Unable to create component,\n\n " + q
                    + "\n\n" + c.errorString()
                    + "\nCheck the QML of this type; to see its syntax errors, instantiate it statically in a"
                    + " document and load that document."
                var errorDialog = create("qrc:///TControls/TErrorDialog.qml")
                errorDialog.show(text)
                console.exception(text)
                console.trace()
                throw text
            }
            return properties === undefined ? c.createObject(vmMain) : c.createObject(vmMain, properties)
        }
    }

    TMessageDialog {
        id: tMessageDialog
        title: qsTr("May I have your attention, please?")
        onNo: {
            if (_which === "exitWarning") {
                if (!moduleLoader.item || !moduleLoader.item.teffect)
                    Qt.quit()
                else
                    moduleLoader.item.teffect.prepareToQuit()
            }
        }
    }

    Connections {
        target: TNetworkUtils
        function onProgress(reqId, bytesRead, totalBytes) { console.log("dl progress:", reqId, bytesRead, totalBytes) }
        function onFinished(reqId, errorMessage) { console.log("dl finished: ", reqId, errorMessage) }
    }

    Connections {
        target: tAppDelegate
        function onFileNameChanged(fileName) {
            console.log("tAppDelegage onFileNameChanged: " + fileName)
            if (tAppDelegate.editorMode === VmAppDelegate.ExternalEditor && globalActions) {
                console.log("Lightroom case: tAppDelegage onFileNameChanged: " + fileName)
                globalActions.newProject(TUtils.stringToUrl(fileName))
                loadPaintingModule()
            }
        }
        function onEditorModeChanged(mode) {
            if (mode !== VmAppDelegate.Standalone)
                console.log("EditorMode changed to : " + mode)
        }
        function onImageHandedOver(path) {
            vmMain.bringToFront()
            if (!globalActions)
                return
            if (tAppDelegate.editorMode === VmAppDelegate.Standalone)
                globalActions.openOther(TUtils.stringToUrl(path))
            else if (tAppDelegate.editorMode === VmAppDelegate.ExternalEditor)
                tAppDelegate.fileName = path
        }
        function onUrlOpenFailed(url) {
            tMessageDialog.show(qsTr("No web browser could be started to show %1. Open the address in your browser.")
                                .arg(url), qsTr("Web Page"))
        }
    }

    Connections {
        target: tAppDelegate.editorMode === VmAppDelegate.PhotoshopPlugin ? tPSImageData : null
        ignoreUnknownSignals: true
        function onPsImageLoaded() {
            lastAppliedParamsId = tPSImageData.getPresetIdFromPS()
            console.log("Last Applied Parameters Preset ID from Photoshop: " + lastAppliedParamsId)
        }
        function onPsImageSaved(bSaved) {
            if (bSaved) {
                tDatabase.preset.storeLastAppliedPreset(TUtils.presetToString(moduleLoader.item.teffect.getPreset()))
                tPSImageData.savePresetIdToPS(tDatabase.preset.getLastAppliedPresetGuid())
                tAppDelegate.errorCode = VmAppDelegate.ERR_NONE
            } else {
                tAppDelegate.errorCode = VmAppDelegate.ERR_UNKNOWN
            }
            moduleLoader.item.teffect.prepareToQuit()
        }
    }
}
