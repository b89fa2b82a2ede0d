import QtQuick 2.5
import QtQuick.Dialogs 1.2
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// What the save-options dialogs share: a heading, their options in a
// column, and Cancel / Save. accepted() means "save with these options".
Dialog {
    id: dialog
    property string heading: ""
    default property alias options: optionColumn.data
    modality: Qt.ApplicationModal

    contentItem: TDialogFrame {
        heading: dialog.heading
        implicitWidth: TC.widthDialog
        onAcceptKey: dialog.accept()
        onRejectKey: dialog.reject()

        Column {
            id: optionColumn
            width: parent.width
            spacing: TC.spacing
        }
        buttons: [
            TDialogButton {
                text: qsTr("Cancel")
                onClicked: dialog.reject()
            },
            TDialogButton {
                text: qsTr("Save")
                isDefault: true
                onClicked: dialog.accept()
            }
        ]
    }
}
