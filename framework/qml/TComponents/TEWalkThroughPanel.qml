import QtQuick 2.5
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// One step of a guided tour: everything but the target is dimmed, and a
// panel beside it explains it with Next, Close and Restart.
Item {
    id: _top
    property Item target: null
    property string title: ""
    default property alias content: body.data
    property int stepIndex: 0
    property int stepCount: 1
    property color dim: "#88000000"
    signal next()
    signal close()
    signal restart()
    anchors.fill: parent
    // Return goes on, Escape closes.
    function takeFocus() { frame.forceActiveFocus() }
    function releaseFocus() { frame.focus = false }

    // The target's rectangle in this item (the whole item without one).
    readonly property rect hole: target ? target.mapToItem(_top, 0, 0, target.width, target.height) : Qt.rect(0, 0, 0, 0)

    MouseArea { anchors.fill: parent; acceptedButtons: Qt.AllButtons; onWheel: wheel.accepted = true }
    Rectangle { x: 0; y: 0; width: parent.width; height: _top.hole.y; color: _top.dim }
    Rectangle { x: 0; y: _top.hole.y + _top.hole.height; width: parent.width; height: parent.height - y; color: _top.dim }
    Rectangle { x: 0; y: _top.hole.y; width: _top.hole.x; height: _top.hole.height; color: _top.dim }
    Rectangle {
        x: _top.hole.x + _top.hole.width; y: _top.hole.y
        width: parent.width - x; height: _top.hole.height; color: _top.dim
    }
    Rectangle {
        visible: _top.target !== null
        x: _top.hole.x - 2; y: _top.hole.y - 2
        width: _top.hole.width + 4; height: _top.hole.height + 4
        color: "transparent"
        border.color: TC.colorAccent
        border.width: 2
    }

    TDialogFrame {
        id: frame
        width: 400
        // Beside the target where there is room, else over it.
        x: _top.hole.x > width + 20 ? _top.hole.x - width - 12
         : Math.min(_top.width - width - 12, _top.hole.x + _top.hole.width + 12)
        y: Math.max(12, Math.min(_top.height - height - 12, _top.hole.y))
        heading: _top.title
        onAcceptKey: _top.next()
        onRejectKey: _top.close()
        Column {
            id: body
            width: parent.width
            spacing: TC.spacing
        }
        buttons: [
            TDialogButton {
                text: qsTr("Restart Tutorial")
                visible: _top.stepIndex > 0
                onClicked: _top.restart()
            },
            TDialogButton { text: qsTr("Close"); onClicked: _top.close() },
            TDialogButton {
                text: _top.stepIndex + 1 < _top.stepCount ? qsTr("Next") + "  " + (_top.stepIndex + 1) + "/" + _top.stepCount : qsTr("Done")
                isDefault: true
                onClicked: _top.next()
            }
        ]
    }
}
