import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Window 2.2
import TBase 1.0
import TComponents 1.0
import VmAppDelegate 1.0
import "qrc:/TBase/Jsutils.js" as JS

// The program's global actions: open, save, quit, zoom and panning of the
// preview, undo and redo of the history, preferences.
Item {
    id: _top
    property var imImport
    property var imHistory
    property var imPreview
    property var imExport
    property var currentModule: moduleLoader.item
    property bool debug: false
    // The image the user opened last.
    property url inputImageUrl
    signal openImageSuccessful()

    readonly property bool standalone: tAppDelegate.editorMode === VmAppDelegate.Standalone
    property alias actNewProject: actNewProject
    property alias actOpenNew: actOpenNew
    property alias actSaveImage: actSaveImage
    property alias actExit: actExit
    property alias actZoomIn: actZoomIn
    property alias actZoomOut: actZoomOut
    property alias actZoom100: actZoom100
    property alias actZoomFit: actZoomFit
    property alias actPanning: actPanning
    property alias actPrevImage: actPrevImage
    property alias actNextImage: actNextImage
    property alias actPreference: actPreference

    function dlog(message) {
        if (debug)
            console.log("<!!><!!><!!><!!>TEHistoryRoll::TMainActions::" + message)
    }

    // The uid of the last image opened or saved: a history showing another
    // one (a painting applied and not saved) holds unsaved work.
    property var savedImageUid: 0

    function hasUnsavedWork() {
        var moduleChanged = currentModule && currentModule.actions && currentModule.actions.shouldShowExitWarning()
        var resultUnsaved = imHistory.count > 0 && imHistory.output.uid !== savedImageUid
        return Boolean(moduleChanged || resultUnsaved)
    }

    function newProject(imageUrl) {
        dlog("newProject " + imageUrl)
        if (currentModule && currentModule.actions)
            currentModule.actions.numUndosAtLastSave = 1
        imImport.srcUrl = imageUrl
        imImport.procOutput()
        inputImageUrl = imageUrl
        vmMain.fileName = TUtils.urlToFileName(imageUrl)
        return true
    }

    // The exit action's work, whatever the mode.
    function quitApp() {
        if (standalone && hasUnsavedWork())
            tMessageDialog.exitWarning()
        else
            vmMain.prepareToQuitApp()
    }

    // A file dropped on the window: opened after asking about unsaved work.
    function openDropped(fileUrl) {
        dlog("dropped " + fileUrl)
        if (hasUnsavedWork())
            tMessageDialog.dragDropImageChanged(fileUrl)
        else
            newProject(fileUrl)
    }
    // An image handed over from elsewhere (another copy of the program).
    function openOther(fileUrl) {
        dlog("open other " + fileUrl)
        if (hasUnsavedWork())
            tMessageDialog.dragDropImageChanged(fileUrl, qsTr("The painting has not been saved. Save it before opening %1?")
                                                .arg(JS.getFileName(fileUrl)))
        else
            newProject(fileUrl)
    }

    // Where a pending question of the message dialog goes on after the
    // image was saved.
    function continuePendingRequest() {
        if (tMessageDialog._which === "imageChanged") {
            tMessageDialog._which = ""
            actOpenNew.trigger()
        } else if (tMessageDialog._which === "dragDropImageChanged") {
            tMessageDialog._which = ""
            newProject(tMessageDialog.dragDropFileUrl)
        } else if (tMessageDialog._which === "exitWarning") {
            tMessageDialog._which = ""
            vmMain.prepareToQuitApp()
        }
    }

    Connections {
        target: tMessageDialog
        // "Save" first: the save dialog, then the pending request.
        function onYes() { actSaveImage.trigger() }
        function onNo() {
            if (tMessageDialog._which === "imageChanged")
                actOpenNew.trigger()
            else if (tMessageDialog._which === "dragDropImageChanged")
                newProject(tMessageDialog.dragDropFileUrl)
        }
    }

    Action {
        id: actNewProject
        text: "&Open Image..."
        shortcut: "Ctrl+O"
        enabled: _top.standalone
        onTriggered: {
            dlog("actNewProject")
            if (hasUnsavedWork() && tMessageDialog._which !== "saveAndThenOpen")
                tMessageDialog.imageChanged()
            else
                actOpenNew.trigger()
        }
    }
    Action {
        id: actOpenNew
        text: "&Open Image..."
        iconSource: "qrc:/TComponents/icons/file-picture.png"
        enabled: _top.standalone
        onTriggered: {
            dlog("actOpenNew")
            var url = tAppDelegate.chooseImageToOpen(mainSettings.openPath)
            if (url.toString() === "")
                return
            newProject(url)
            mainSettings.openPath = JS.getFolder(url)
            openImageSuccessful()
        }
    }
    Action {
        id: actSaveImage
        text: "&Save Image..."
        shortcut: "Ctrl+S"
        iconSource: "qrc:/TComponents/icons/file-picture-add.png"
        enabled: tAppDelegate.editorMode === 0
        onTriggered: {
            dlog("actSaveImage")
            // What is saved is what the user sees: a painting not applied
            // yet is applied first, and the history's save follows.
            if (currentModule && currentModule.resultPending)
                currentModule.apply()
            else
                chooseSaveFile()
        }
    }
    Action {
        id: actExit
        text: "Exit"
        shortcut: "Ctrl+Q"
        enabled: tAppDelegate.editorMode === 0
        onTriggered: {
            dlog("actExit")
            quitApp()
        }
    }
    Action {
        id: actZoomIn
        text: qsTr("In")
        tooltip: qsTr("Increase preview image size")
        iconSource: "qrc:/TComponents/icons/in_ffffff_25.png"
        onTriggered: imPreview.zoomAbout(Math.min(imPreview.zoom * 1.25, imPreview.maxZoom))
    }
    Action {
        id: actZoomOut
        text: qsTr("Out")
        tooltip: qsTr("Decrease preview image size")
        iconSource: "qrc:/TComponents/icons/out_ffffff_25.png"
        onTriggered: imPreview.zoomAbout(Math.max(imPreview.zoom / 1.25, imPreview.minZoom))
    }
    Action {
        id: actZoom100
        text: "100%"
        tooltip: qsTr("Show the image at its own size")
        iconSource: "qrc:/TComponents/icons/100_ffffff_25.png"
        onTriggered: imPreview.zoomAbout(1)
    }
    Action {
        id: actZoomFit
        text: "Fit"
        tooltip: qsTr("Show the whole image")
        iconSource: "qrc:/TComponents/icons/fit_ffffff_25.png"
        onTriggered: imPreview.fit()
    }
    Action {
        id: actPanning
        text: "Panning"
        tooltip: qsTr("Drag the image to move it")
        iconSource: "qrc:/TControls/icons/hand-white.png"
        checkable: true
        onToggled: imPreview.panningEnabled = checked
    }
    Action {
        id: actPrevImage
        text: qsTr("Undo")
        tooltip: qsTr("Back to the previous image")
        iconSource: "qrc:/TComponents/icons/undo.png"
        enabled: imHistory.canBackward
        onTriggered: imHistory.backward()
    }
    Action {
        id: actNextImage
        text: qsTr("Redo")
        tooltip: qsTr("Forward to the next image")
        iconSource: "qrc:/TComponents/icons/redo.png"
        enabled: imHistory.canForward
        onTriggered: imHistory.forward()
    }
    Action {
        id: actPreference
        text: "Preference..."
        shortcut: StandardKey.Preferences
        onTriggered: {
            var name = tDatabase.module_uid === "TStrovane" ? "TEStrovane" : tDatabase.module_uid
            dlog("actPreference " + name)
            dynamicObjectCreator.create("qrc:///" + name + "/TMainPreference.qml")
            var dialog = dynamicObjectCreator.create("qrc:///" + name + "/TMainPreferenceDialog.qml", {
                moduleSettings: name === "TEHistoryRoll" ? mainSettings : currentModule.settings
            })
            dialog.open()
        }
    }

    property url saveUrl
    function chooseSaveFile() {
        var url = tAppDelegate.chooseImageToSave(inputImageUrl, mainSettings.savePath)
        if (url.toString() === "") {
            // Leaving the save dialog leaves the question that led to it.
            tMessageDialog._which = ""
            return
        }
        saveUrl = url
        mainSettings.savePath = JS.getFolder(url)
        var ext = JS.getFileExt(url)
        console.log("TFileDialog, save file name:", url, ext)
        console.log("TFileDialog, save file ext:", ext)
        if (ext === "TIFF" || ext === "TIF")
            tiffDialog.open()
        else if (ext === "PNG")
            pngDialog.open()
        else
            jpegDialog.open()
        openImageSuccessful()
    }

    function metaDataFor(url) {
        var ext = JS.getFileExt(url)
        if (ext === "JPEG" || ext === "JPG")
            return { FILE_URL: url, IMAGE_FORMAT: "JPEG", JPEG_QUALITY: jpegDialog.jpegQuality,
                     COLOR_SPACE: jpegDialog.jpegColorSpace, JPEG_FORMAT: jpegDialog.jpegFormatOption }
        if (ext === "TIFF" || ext === "TIF")
            return { FILE_URL: url, IMAGE_FORMAT: "TIFF", TIFF_COMPRESSION: tiffDialog.tiffCompression,
                     TIFF_BITDEPTH: tiffDialog.tiffBitDepth, COLOR_SPACE: tiffDialog.tiffColorSpace,
                     SAVE_ALPHA: tiffDialog.tiffSaveAlpha }
        if (ext === "PNG")
            return { FILE_URL: url, IMAGE_FORMAT: "PNG", PNG_COMPRESSION: pngDialog.tiffCompression,
                     PNG_BITDEPTH: pngDialog.pngBitDepth, COLOR_SPACE: pngDialog.pngColorSpace,
                     PNG_INTERLACE: pngDialog.pngInterlace }
        return {}
    }

    // The work counts as saved, and a pending request (open another image,
    // quit) goes on, only once the file is written; a failed save keeps
    // everything as it was.
    function save() {
        imExport.destUrl = saveUrl
        imExport.metaData = metaDataFor(saveUrl)
        imExport.procOutput()
    }
    Connections {
        target: imExport
        function onSaved(url) {
            dlog("saved " + url)
            savedImageUid = imExport.input.uid
            if (currentModule && currentModule.actions)
                currentModule.actions.updateNumUndosAtLastSave()
            continuePendingRequest()
        }
        function onFailed() { tMessageDialog._which = "" }
    }

    TSaveJPEGDialog { id: jpegDialog; owner: _top.Window.window; onAccepted: save(); onRejected: tMessageDialog._which = "" }
    TSaveTiffDialog { id: tiffDialog; owner: _top.Window.window; onAccepted: save(); onRejected: tMessageDialog._which = "" }
    TSavePngDialog { id: pngDialog; owner: _top.Window.window; onAccepted: save(); onRejected: tMessageDialog._which = "" }
}
