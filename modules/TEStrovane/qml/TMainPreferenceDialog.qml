import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Dialogs 1.2
import TControls 1.0
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The painting module's preferences, kept in the main window's settings.
Dialog {
    id: dialog
    title: qsTr("Preferences")
    width: 420
    height: 360
    modality: Qt.ApplicationModal
    property var globalSettings
    property var moduleSettings
    property string jpegQuality: "Maximum"
    property string jpegFormatOption: "Optimized"
    property string jpegColorSpace: "Default"
    signal okClicked()
    signal cancelClicked()

    contentItem: TDialogFrame {
        implicitWidth: 420
        implicitHeight: 360
        onAcceptKey: ok.clicked()
        onRejectKey: cancel.clicked()

        Column {
            width: parent.width
            spacing: 4
            Text {
                text: qsTr("Start-up Options")
                color: TC.colorTextDim
                font.pointSize: TC.fontSizeStd
                font.bold: true
            }
            TCheckOption {
                id: exampleImage
                objectName: "useExampleImage"
                text: qsTr("Start with Example Image")
                checked: mainSettings.useExampleImage
            }
            TCheckOption {
                id: welcome
                objectName: "showStartupWindow"
                text: qsTr("Show Welcome dialog")
                checked: mainSettings.showStartupWindow
            }
            TCheckOption {
                id: community
                objectName: "showWelcomeCloud"
                text: qsTr("Show Community Welcome")
                checked: mainSettings.showWelcomeCloud
            }
            // The shell's start-up option, here too: this dialog is the one
            // the File menu opens while the painting module is loaded.
            TCheckOption {
                id: presetPanel
                objectName: "startWithPresetPanel"
                text: qsTr("Start With Preset Panel")
                checked: mainSettings.startWithPresetPanel
            }
            Item { width: 1; height: TC.spacing }
            Text {
                text: qsTr("Processing Options")
                color: TC.colorTextDim
                font.pointSize: TC.fontSizeStd
                font.bold: true
            }
            TCheckOption {
                id: highResolution
                objectName: "highResolution"
                text: qsTr("Enable High-Resolution Processing")
                checked: !mainSettings.lowResolutionMode
            }
            TCheckOption {
                id: showPainting
                objectName: "showPainting"
                text: qsTr("Show Painting Progress")
                checked: mainSettings.showPainting
                enabled: highResolution.checked
                opacity: enabled ? 1 : 0.4
            }
            TCheckOption {
                id: resetMask
                objectName: "resetMaskOnOpenNewImage"
                text: qsTr("Clear the Mask When Another Image Is Opened")
                checked: dialog.moduleSettings ? dialog.moduleSettings.resetMaskOnOpenNewImage : true
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
                    mainSettings.useExampleImage = exampleImage.checked
                    mainSettings.showStartupWindow = welcome.checked
                    mainSettings.showWelcomeCloud = community.checked
                    mainSettings.lowResolutionMode = !highResolution.checked
                    mainSettings.showPainting = showPainting.checked
                    mainSettings.startWithPresetPanel = presetPanel.checked
                    if (dialog.moduleSettings)
                        dialog.moduleSettings.resetMaskOnOpenNewImage = resetMask.checked
                    dialog.okClicked()
                    dialog.destroy()
                }
            }
        ]
    }
}
