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
    // The window the dialog opens over, centred.
    property var owner: null
    modality: Qt.ApplicationModal
    onVisibleChanged: if (visible) Qt.callLater(centre)

    function centre() {
        width = frame.implicitWidth
        height = frame.implicitHeight
        if (owner) {
            x = owner.x + Math.round((owner.width - width) / 2)
            y = owner.y + Math.round((owner.height - height) / 2)
        }
    }

    contentItem: TDialogFrame {
        id: frame
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
