import QtQuick 2.5
import QtQuick.Dialogs 1.2
import TControls 1.0
import TPresets 1.0

// Adds a brush set from files: the user picks its description, the set is
// checked and copied into the brush folder, and the user is told how it
// went.
Item {
    id: _top
    signal imported(string message)
    signal refused(string message)

    function open() {
        fileDialog.open()
    }
    function importFrom(fileUrl) {
        var why = importer.importBrushSet(fileUrl)
        if (why === "") {
            message.show(qsTr("The brush set was added. It is listed with the brushes from now on."), message.title)
            imported(fileUrl)
        } else {
            message.show(qsTr("The brush set was not added.") + "\n\n" + why, message.title)
            refused(why)
        }
        return why
    }

    TBrushSetImporter { id: importer }
    TMessageDialog { id: message; title: qsTr("Import Brushes") }
    FileDialog {
        id: fileDialog
        title: qsTr("Import a Brush Set")
        selectExisting: true
        nameFilters: [qsTr("Brush set descriptions (*.json)")]
        onAccepted: _top.importFrom(fileUrl)
    }
}
