import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Layouts 1.2
import TBase 1.0
import TControls 1.0
import TComponents 1.0
import TEImageIO 1.0
import TEHistoryRoll 1.0
import VmAppDelegate 1.0
import "qrc:/TBase/TmConfigure.js" as TC
import "qrc:/TBase/Jsutils.js" as JS

// The top-level module: image import, the history of applied results, the
// export, the preview, and the global actions, menus and tool bar. Effect
// modules are loaded over it and paint into its preview.
Item {
    id: _top
    property var output
    property alias mainActions: tMainActions
    property alias mainMenu: tMainMenu
    // The preview that effect modules name as their previewer.
    readonly property alias previewerUid: imagePreview.outputViewerUid
    readonly property alias imageView: imagePreview
    signal loadModule(url moduleUrl)

    function pushImage(image, text) {
        imagehistory.push(image, text)
    }

    TImageImport {
        id: imageimport
        onOutputChanged: {
            imagehistory.clear()
            imagehistory.push(output, TUtils.urlToFileName(srcUrl))
            tMainActions.savedImageUid = output.uid
        }
        onFailed: {
            var text = qsTr("The image could not be opened.") + "\n\n" + message
            // The caller must not take the failure for a finished edit.
            if (tAppDelegate.editorMode === VmAppDelegate.ExternalEditor)
                vmMain.exitWithError(text, 2)
            else
                tMessageDialog.show(text, qsTr("Could Not Open the Image"))
        }
        onReadyToQuit: Qt.quit()
    }

    Connections {
        target: tAppDelegate.editorMode === VmAppDelegate.PhotoshopPlugin ? tPSImageData : null
        ignoreUnknownSignals: true
        function onPsImageLoaded(inImage) { imagehistory.push(inImage, "Host Image") }
    }

    // Fitted into the view itself: the tool bar and the status line take
    // part of the panel.
    function fitZoomOf(image) {
        return imagePreview.computeFitZoom(image, imagePreview.width * 0.95, imagePreview.height * 0.95)
    }

    TApplyHistory {
        id: imagehistory
        previewerUid: imagePreview.outputViewerUid
        property size lastSize: Qt.size(0, 0)
        onOutputChanged: {
            procPreview()
            // A picture of another size is shown whole; undo and redo
            // between pictures of one size keep the zoom. Fitted before the
            // modules see the picture, so that their first preview is made
            // at the size it is shown at.
            if (output.width !== lastSize.width || output.height !== lastSize.height) {
                lastSize = Qt.size(output.width, output.height)
                imagePreview.zoom = fitZoomOf(output)
                imagePreview.followFit = true
                // Once fitZoom has followed the new image too.
                Qt.callLater(imagePreview.fit)
            }
            _top.output = output
        }
        onReadyToQuit: Qt.quit()
    }

    TImageExport {
        id: imageexport
        input: imagehistory.output
        sourceUrl: tMainActions.inputImageUrl
        onFailed: tMessageDialog.show(qsTr("The image was not saved.") + "\n\n" + message, qsTr("Could Not Save the Image"))
        onReadyToQuit: Qt.quit()
    }

    TMainActions {
        id: tMainActions
        imImport: imageimport
        imHistory: imagehistory
        imPreview: imagePreview
        imExport: imageexport
    }

    TMainMenu {
        id: tMainMenu
        actions: tMainActions
    }

    SplitView {
        anchors.fill: parent
        orientation: Qt.Horizontal
        handleDelegate: Rectangle { width: 1; color: TC.colorBorder }

        Rectangle {
            id: leftPanel
            Layout.fillWidth: true
            color: TC.colorPanel

            TMainToolBar {
                id: toolBar
                anchors { left: parent.left; right: parent.right; top: parent.top }
                actions: tMainActions
                imageText: imagehistory.outputText
            }
            TProgressBar {
                id: progress
                anchors { left: parent.left; right: parent.right; top: toolBar.bottom }
                height: 4
                z: 10
                busy: imagehistory.isBusy || imageimport.isBusy || imageexport.isBusy
            }
            TEImageView {
                id: imagePreview
                anchors { left: parent.left; right: parent.right; top: progress.bottom; bottom: statusLine.top }
                color: TC.colorImageBG
                fitZoom: fitZoomOf(imagehistory.output)
            }
            Rectangle {
                id: statusLine
                anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                height: 22
                color: TC.colorPanelDark
                Text {
                    anchors { left: parent.left; leftMargin: TC.margin; verticalCenter: parent.verticalCenter }
                    color: TC.colorTextDim
                    font.pointSize: TC.fontSizeSmall
                    text: imagehistory.output.empty ? qsTr("No image")
                        : imagehistory.output.width + " \u00d7 " + imagehistory.output.height + " px"
                }
                Text {
                    anchors { right: parent.right; rightMargin: TC.margin; verticalCenter: parent.verticalCenter }
                    color: TC.colorTextDim
                    font.pointSize: TC.fontSizeSmall
                    text: JS.percentText(imagePreview.zoom)
                }
            }
            // An image file dropped on the window is opened like one chosen
            // in the open dialog, after asking about unsaved work.
            DropArea {
                anchors.fill: parent
                keys: ["text/uri-list"]
                onEntered: drag.accepted = drag.hasUrls && JS.isImageFile(drag.urls[0])
                            && tAppDelegate.editorMode === VmAppDelegate.Standalone
                onDropped: tMainActions.openDropped(drop.urls[0])
            }
        }

        TPanEditing {
            Layout.minimumWidth: TC.widthRightPan
            Layout.maximumWidth: TC.widthRightPan
            actions: tMainActions
            loadModuleUrl: _top.loadModule
        }
    }
}
