import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// Where the light comes from, as a point of a square around the picture
// (x and y in 0..1; the centre lights from straight ahead): click or drag.
// update(direction) while moving, undoPoint() when let go.
Item {
    id: _top
    property string label: ""
    property point direction: Qt.point(1, 0)
    signal update(point direction)
    signal undoPoint()
    width: parent ? parent.width : 200
    height: caption.height + pad.height + 4
    opacity: enabled ? 1 : 0.4
    state: enabled ? "enabled" : "disabled"

    Text {
        id: caption
        text: _top.label
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    Rectangle {
        id: pad
        anchors { top: caption.bottom; topMargin: 4; horizontalCenter: parent.horizontalCenter }
        width: 96
        height: 96
        color: TC.colorInput
        border.color: TC.colorSeparator
        Rectangle {
            // The picture, lit from the marker.
            anchors.centerIn: parent
            width: parent.width / 2
            height: parent.height / 2
            color: TC.colorPanelLight
            border.color: TC.colorSeparator
        }
        Rectangle {
            // A ray from the marker to the picture's centre.
            readonly property real dx: (_top.direction.x - 0.5) * pad.width
            readonly property real dy: (_top.direction.y - 0.5) * pad.height
            x: pad.width / 2
            y: pad.height / 2 - 1
            width: Math.sqrt(dx * dx + dy * dy)
            height: 2
            color: "#f3d36b"
            opacity: 0.6
            transformOrigin: Item.Left
            rotation: Math.atan2(dy, dx) * 180 / Math.PI
        }
        Rectangle {
            id: marker
            width: 14
            height: 14
            radius: 7
            x: _top.direction.x * pad.width - 7
            y: _top.direction.y * pad.height - 7
            color: "#f3d36b"
            border.color: TC.colorText
        }
        MouseArea {
            // The marker sits on the pad's edge at the corners (the default
            // light): all of it can be grabbed, not only the part inside.
            anchors.fill: parent
            anchors.margins: -marker.radius
            function pick(mouse) {
                _top.update(Qt.point(Math.max(0, Math.min(1, (mouse.x + anchors.margins) / pad.width)),
                                     Math.max(0, Math.min(1, (mouse.y + anchors.margins) / pad.height))))
            }
            onPressed: pick(mouse)
            onPositionChanged: pick(mouse)
            onReleased: _top.undoPoint()
        }
    }
}
