import QtQuick 2.6
import "qrc:/TBase/TmConfigure.js" as TC

// A titled group of controls that folds away; a click on the title opens or
// closes it.
Column {
    id: panel
    property string title: ""
    property bool expanded: true
    default property alias content: body.data
    width: parent ? parent.width : 0

    Rectangle {
        width: parent.width
        height: 28
        color: header.containsMouse ? TC.colorPanelLight : TC.colorPanelDark
        Text {
            anchors { left: parent.left; leftMargin: TC.margin; verticalCenter: parent.verticalCenter }
            text: (panel.expanded ? "\u25BE  " : "\u25B8  ") + panel.title
            color: TC.colorText
            font.pointSize: TC.fontSizeStd
            font.bold: true
        }
        MouseArea {
            id: header
            anchors.fill: parent
            hoverEnabled: true
            onClicked: panel.expanded = !panel.expanded
        }
    }
    Column {
        id: body
        visible: panel.expanded
        width: parent.width - 2 * TC.margin
        x: TC.margin
        topPadding: TC.spacing
        bottomPadding: TC.margin
        spacing: TC.spacing
    }
}
