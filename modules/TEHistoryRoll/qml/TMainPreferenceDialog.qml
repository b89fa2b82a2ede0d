import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Dialogs 1.2
import TControls 1.0
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// Preferences of the program as a whole, kept in the main window's
// settings.
Dialog {
    id: dialog
    title: qsTr("Preferences")
    width: 420
    height: 500
    modality: Qt.ApplicationModal
    property var globalSettings
    property var moduleSettings
    signal okClicked()
    signal cancelClicked()

    contentItem: TDialogFrame {
        implicitWidth: 420
        implicitHeight: 500
        heading: qsTr("Preferences")
        onAcceptKey: ok.clicked()
        onRejectKey: cancel.clicked()

        Column {
            width: parent.width
            spacing: TC.spacing
            Text {
                text: qsTr("Start-up Options")
                color: TC.colorTextDim
                font.pointSize: TC.fontSizeStd
                font.bold: true
            }
            TCheckOption {
                id: showWelcome
                objectName: "showWelcome"
                text: qsTr("Show Welcome dialog")
                checked: mainSettings.showStartupWindow
            }
            TCheckOption {
                id: presetPanel
                objectName: "startWithPresetPanel"
                text: qsTr("Start With Preset Panel")
                checked: mainSettings.startWithPresetPanel
            }
        }
        buttons: [
            TDialogButton {
                id: cancel
                text: qsTr("Cancel")
                onClicked: {
                    dialog.cancelClicked()
                    dialog.destroy()
                }
            },
            TDialogButton {
                id: ok
                objectName: "okButton"
                text: qsTr("OK")
                isDefault: true
                onClicked: {
                    mainSettings.showStartupWindow = showWelcome.checked
                    mainSettings.startWithPresetPanel = presetPanel.checked
                    dialog.okClicked()
                    dialog.destroy()
                }
            }
        ]
    }
}
