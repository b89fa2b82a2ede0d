import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import QtQuick.Dialogs 1.2
import "qrc:/TBase/TmConfigure.js" as TC

// Shows an error that the user or a developer must read in full: the text
// is selectable and scrolls.
Dialog {
    id: dialog
    title: qsTr("Error")
    modality: Qt.ApplicationModal
    property string text: ""

    function show(message) {
        dialog.text = message
        dialog.open()
    }

    contentItem: TDialogFrame {
        implicitWidth: 520
        implicitHeight: 300
        heading: qsTr("Something went wrong")
        onAcceptKey: dialog.accept()
        onRejectKey: dialog.reject()

        TextArea {
            anchors.fill: parent
            text: dialog.text
            readOnly: true
            wrapMode: TextEdit.Wrap
            font.family: "monospace"
            font.pointSize: TC.fontSizeSmall
            textColor: TC.colorText
            backgroundVisible: false
            style: TextAreaStyle {
                backgroundColor: TC.colorInput
                selectionColor: TC.colorSelection
                selectedTextColor: TC.colorText
            }
        }
        buttons: TDialogButton {
            text: qsTr("OK")
            isDefault: true
            onClicked: dialog.accept()
        }
    }
}
