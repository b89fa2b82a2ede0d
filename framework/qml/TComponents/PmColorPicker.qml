import QtQuick 2.5
import QtQuick.Dialogs 1.2
import "qrc:/TBase/TmConfigure.js" as TC

// A labelled colour swatch; a click opens the colour dialog. update(color)
// then undoPoint() tell a new colour.
Item {
    id: _top
    property string label: ""
    property color color: "black"
    signal update(color color)
    signal undoPoint()
    width: parent ? parent.width : 200
    height: 26
    opacity: enabled ? 1 : 0.4
    state: enabled ? "enabled" : "disabled"

    Text {
        anchors { left: parent.left; verticalCenter: parent.verticalCenter }
        text: _top.label
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    Rectangle {
        id: swatch
        anchors { right: parent.right; verticalCenter: parent.verticalCenter }
        width: 48
        height: 20
        radius: TC.radius
        color: _top.color
        border.color: area.containsMouse ? TC.colorAccent : TC.colorSeparator
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            onClicked: {
                dialog.color = _top.color
                dialog.open()
            }
        }
    }
    ColorDialog {
        id: dialog
        title: _top.label
        showAlphaChannel: true
        onAccepted: {
            _top.update(dialog.color)
            _top.undoPoint()
        }
    }
}
