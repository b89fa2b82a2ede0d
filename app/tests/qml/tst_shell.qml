import QtQuick 2.5
import QtTest 1.1
import TControls 1.0
import TEHistoryRoll 1.0
import TEImageIO 1.0
import VmAppDelegate 1.0

// The history shell as the main window hosts it: the window's objects are
// stood in for here, the shell's documents are the real ones.
Item {
    id: vmMain
    width: 1000
    height: 600
    property string fileName: ""
    property int quitRequests: 0
    function prepareToQuitApp() { quitRequests++ }

    QtObject {
        id: mainSettings
        property url openPath
        property url savePath
        property bool showStartupWindow: true
        property bool startWithPresetPanel: true
    }
    QtObject {
        id: tDatabase
        property string module_uid: "TEHistoryRoll"
    }
    QtObject {
        id: tPSImageData
        signal psImageLoaded(var inImage)
    }
    QtObject {
        id: dynamicObjectCreator
        property var last
        function create(q, properties) {
            var c = Qt.createComponent(q)
            last = properties === undefined ? c.createObject(vmMain) : c.createObject(vmMain, properties)
            return last
        }
    }
    TMessageDialog { id: tMessageDialog }
    Loader { id: moduleLoader }
    Loader {
        id: shell
        anchors.fill: parent
        active: false
        source: "qrc:/TEHistoryRoll/TModuleEntry.qml"
    }

    readonly property var actions: shell.item ? shell.item.mainActions : null
    readonly property string example: binFolder + "/Resources/images/example.jpg"
    readonly property string thumbnail: binFolder + "/Resources/styles/thumbnails/classic-oil.jpg"

    SignalSpy { id: imported; signalName: "outputChanged" }
    // A picture that stands in for a painting the module applied.
    TImageImport { id: painting; srcUrl: vmMain.example }
    SignalSpy { id: paintingRead; target: painting; signalName: "outputChanged" }

    TestCase {
        name: "Shell"
        when: windowShown

        function initTestCase() {
            painting.procOutput()
            paintingRead.wait(20000)
        }

        function loadShell(mode) {
            shell.active = false
            tAppDelegate.editorMode = mode
            shell.active = true
            verify(shell.item !== null, "the shell loads")
            imported.target = shell.item
            imported.clear()
        }
        function open(url) {
            imported.clear()
            actions.newProject(url)
            imported.wait(20000)
        }
        function history() { return actions.imHistory }

        function test_aSecondImageClearsTheHistory() {
            loadShell(VmAppDelegate.Standalone)
            open(example)
            compare(history().count, 1)
            compare(vmMain.fileName, "example.jpg")
            shell.item.pushImage(shell.item.output, "applied")
            compare(history().count, 2)
            verify(actions.actPrevImage.enabled, "Undo steps back to the photograph")
            compare(history().outputText, "applied")

            open(thumbnail)
            compare(history().count, 1)
            verify(!actions.actPrevImage.enabled, "Undo is disabled after opening")
            verify(!actions.actNextImage.enabled)
            compare(history().outputText, "classic-oil.jpg")
            compare(shell.item.output.width, 240)
        }

        function test_undoAndRedoFollowTheHistory() {
            loadShell(VmAppDelegate.Standalone)
            open(thumbnail)
            shell.item.pushImage(shell.item.output, "applied")
            actions.actPrevImage.trigger()
            compare(history().currentIdx, 0)
            verify(!actions.actPrevImage.enabled)
            verify(actions.actNextImage.enabled)
            actions.actNextImage.trigger()
            compare(history().outputText, "applied")
            verify(!actions.actNextImage.enabled)
        }

        function test_photoshopModeOffersNoFileActions() {
            loadShell(VmAppDelegate.PhotoshopPlugin)
            verify(!actions.actNewProject.enabled)
            verify(!actions.actOpenNew.enabled)
            verify(!actions.actSaveImage.enabled)
            verify(!actions.actExit.enabled)
            verify(actions.actZoomFit.enabled)
            // The host's image arrives through the exchange.
            actions.imImport.srcUrl = thumbnail
            actions.imImport.procOutput()
            imported.wait(20000)
            history().clear()
            tPSImageData.psImageLoaded(actions.imImport.output)
            compare(history().outputText, "Host Image")
            compare(history().count, 1)
        }

        function test_saveOptionsBecomeTheExportsMetadata() {
            loadShell(VmAppDelegate.Standalone)
            var tif = actions.metaDataFor("file:///x/p.TIF")
            compare(tif.IMAGE_FORMAT, "TIFF")
            compare(tif.FILE_URL, "file:///x/p.TIF")
            verify(tif.TIFF_BITDEPTH === 8 || tif.TIFF_BITDEPTH === 16)
            verify(tif.SAVE_ALPHA !== undefined && tif.TIFF_COMPRESSION !== undefined && tif.COLOR_SPACE !== undefined)
            var png = actions.metaDataFor("file:///x/p.png")
            compare(png.IMAGE_FORMAT, "PNG")
            verify(["None", "Fast", "Normal", "Best"].indexOf(png.PNG_COMPRESSION) >= 0)
            verify(png.PNG_INTERLACE !== undefined && png.PNG_BITDEPTH !== undefined)
            var jpg = actions.metaDataFor("file:///x/p.jpeg")
            compare(jpg.IMAGE_FORMAT, "JPEG")
            verify(jpg.JPEG_QUALITY !== undefined && jpg.JPEG_FORMAT !== undefined)
            compare(Object.keys(actions.metaDataFor("file:///x/p.bmp")).length, 0)
        }

        function test_quittingAsksOnlyAboutUnsavedWork() {
            loadShell(VmAppDelegate.Standalone)
            open(thumbnail)
            vmMain.quitRequests = 0
            actions.actExit.trigger()
            compare(vmMain.quitRequests, 1, "a photograph just opened: nothing to lose")
            shell.item.pushImage(painting.output, "applied")
            actions.actExit.trigger()
            compare(vmMain.quitRequests, 1)
            compare(tMessageDialog._which, "exitWarning", "an applied painting not saved: asked first")
            tMessageDialog.messageDialog.answer("cancel")
        }

        function test_theShellsPreferencesEditTheMainSettings() {
            loadShell(VmAppDelegate.Standalone)
            mainSettings.showStartupWindow = true
            actions.actPreference.trigger()
            var dialog = dynamicObjectCreator.last
            verify(dialog !== null)
            compare(dialog.title, "Preferences")
            compare(dialog.moduleSettings, mainSettings)
            var box = findChild(dialog.contentItem, "showWelcome")
            verify(box !== null)
            verify(box.checked)
            box.checked = false
            findChild(dialog.contentItem, "okButton").clicked()
            compare(mainSettings.showStartupWindow, false)
        }
    }
}
