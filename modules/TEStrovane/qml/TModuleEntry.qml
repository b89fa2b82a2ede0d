import QtQuick 2.5
import QtQuick.Controls 1.4
import TControls 1.0
import TComponents 1.0
import TEStrovane 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The painting module over the shell: the painting effect on the shell's
// current image, painting into the shell's preview, with its panel on the
// right. Apply paints the full-resolution result and hands it back.
TEModuleBase {
    id: _top
    anchors.fill: parent
    teffect: teffect
    settings: TMainPreference {}
    maxScale: 1.0
    mainMenu: topLevelLoader.item ? topLevelLoader.item.mainMenu : null
    property bool applying: false
    // The preview is painted at about the resolution it is shown at.
    readonly property var view: topLevelLoader.item ? topLevelLoader.item.imageView : null
    readonly property int previewDecimation: view ? Math.max(1, Math.min(8, Math.floor(1 / Math.max(view.zoom, 0.01)))) : 1

    function apply() {
        if (!input || input.empty || applying)
            return
        applying = true
        teffect.decimation = 1
        teffect.procOutput()
    }

    Shortcut {
        sequence: "Ctrl+Return"
        onActivated: _top.apply()
    }
    Shortcut {
        sequence: "Escape"
        enabled: !_top.applying
        onActivated: _top.finished(false)
    }

    TStrovane {
        id: teffect
        input: _top.input ? _top.input : teffect.input
        showPainting: mainSettings.showPainting
        lowResolutionMode: mainSettings.lowResolutionMode
        previewerUid: topLevelLoader.item ? topLevelLoader.item.previewerUid : ""
        decimation: _top.previewDecimation
        onDecimationChanged: if (!_top.applying) procPreview()
        Component.onCompleted: procPreview()
        onReadyToQuit: {
            console.log("TStrovane readyToQuit received - will call Qt.quit()")
            Qt.quit()
        }
        onProcFinished: {
            if (mode !== "OUTPUT" || !_top.applying)
                return
            _top.applying = false
            teffect.decimation = Qt.binding(function() { return _top.previewDecimation })
            if (error === "")
                _top.finished(true)
            else
                tMessageDialog.show(qsTr("The painting could not be made.") + "\n\n" + error)
        }
    }

    onInputChanged: {
        if (!input)
            return
        console.log("input changed inside module", input.width, input.height, input.uid)
        teffect.procPreview()
    }

    Rectangle {
        id: panel
        anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
        width: TC.widthRightPan
        color: TC.colorPanel

        TToolBar {
            id: header
            anchors { left: parent.left; right: parent.right; top: parent.top }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Painting")
                color: TC.colorText
                font.pointSize: TC.fontSizeTitle
            }
        }
        Rectangle {
            id: footer
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: 48
            color: TC.colorPanelDark
            Row {
                anchors { right: parent.right; rightMargin: TC.margin; verticalCenter: parent.verticalCenter }
                spacing: TC.spacing
                TDialogButton {
                    objectName: "cancelButton"
                    text: qsTr("Cancel")
                    tooltip: qsTr("Leave without applying (Esc)")
                    enabled: !_top.applying
                    onClicked: _top.finished(false)
                }
                TDialogButton {
                    objectName: "applyButton"
                    text: _top.applying ? qsTr("Painting...") : qsTr("Apply")
                    tooltip: qsTr("Paint the full picture and keep it (Ctrl+Return)")
                    isDefault: true
                    enabled: !_top.applying && _top.input !== undefined && !_top.input.empty
                    onClicked: _top.apply()
                }
            }
        }
        TProgressBar {
            anchors { left: parent.left; right: parent.right; bottom: footer.top }
            busy: teffect.isBusy
        }
    }
}
