import QtQuick 2.9
import QtQuick.Layouts 1.2
import "qrc:/TBase/TmConfigure.js" as TC

// The body of the framework's dialogs: a dark panel with an optional
// heading, the dialog's own content, and a row of buttons at the bottom
// right. Esc rejects, Return accepts.
Rectangle {
    id: frame
    property string heading: ""
    property alias buttons: buttonRow.data
    default property alias content: body.data
    signal acceptKey()
    signal rejectKey()

    color: TC.colorDialog
    implicitWidth: TC.widthDialog
    implicitHeight: column.implicitHeight + 2 * TC.margin * 2
    focus: true
    // While the frame has the focus its keys are its own: the window's
    // shortcuts (Escape leaves the module, Return applies) wait until the
    // frame is gone.
    Keys.onShortcutOverride: {
        if (event.key === Qt.Key_Escape || event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
            event.accepted = true
    }
    Keys.onEscapePressed: frame.rejectKey()
    Keys.onReturnPressed: frame.acceptKey()
    Keys.onEnterPressed: frame.acceptKey()

    ColumnLayout {
        id: column
        anchors.fill: parent
        anchors.margins: TC.margin * 2
        spacing: TC.margin * 1.5

        Text {
            visible: frame.heading !== ""
            text: frame.heading
            color: TC.colorText
            font.pointSize: TC.fontSizeTitle
            font.bold: true
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
        }
        Item {
            id: body
            Layout.fillWidth: true
            Layout.fillHeight: true
            implicitHeight: childrenRect.height
        }
        Row {
            id: buttonRow
            Layout.alignment: Qt.AlignRight | Qt.AlignBottom
            spacing: TC.spacing
        }
    }
}
