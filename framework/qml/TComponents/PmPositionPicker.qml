import QtQuick 2.5
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// A point of the picture (x and y in 0..1) picked on a small map of it, or,
// given the module's preview overlay loader, on the preview itself ("Pick"):
// click or drag. update(point) while moving, undoPoint() when let go.
Item {
    id: _top
    property string label: ""
    property point position: Qt.point(0.5, 0.5)
    property real aspect: 1.5 // the picture's width over its height
    property var overlayLoader: null
    readonly property bool picking: overlayLoader !== null && overlayLoader.owner === _top
    signal update(point position)
    signal undoPoint()
    width: parent ? parent.width : 200
    readonly property real headHeight: Math.max(caption.height, overlayLoader !== null ? 20 : 0)
    height: headHeight + map.height + 4
    opacity: enabled ? 1 : 0.4
    state: enabled ? "enabled" : "disabled"
    onEnabledChanged: if (!enabled) finishPicking(false)
    onVisibleChanged: if (!visible) finishPicking(false)

    function startPicking() {
        if (overlayLoader && enabled)
            overlayLoader.show(_top, "qrc:/TComponents/PmPositionPickerOverlay.qml", { picker: _top })
    }
    // changed: a point was picked on the preview and is an undo step.
    function finishPicking(changed) {
        if (!picking)
            return
        overlayLoader.hide(_top)
        if (changed)
            undoPoint()
    }

    Text {
        id: caption
        text: _top.label
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    TDialogButton {
        objectName: "pickButton"
        anchors { right: parent.right; top: parent.top }
        visible: _top.overlayLoader !== null
        implicitWidth: 52
        implicitHeight: 20
        text: qsTr("Pick")
        tooltip: qsTr("Set it on the preview")
        isDefault: _top.picking
        onClicked: _top.picking ? _top.finishPicking(false) : _top.startPicking()
    }
    Rectangle {
        id: map
        anchors { top: parent.top; topMargin: _top.headHeight + 4; horizontalCenter: parent.horizontalCenter }
        width: Math.min(parent.width, 160)
        height: width / Math.max(0.25, _top.aspect)
        color: TC.colorInput
        border.color: TC.colorSeparator
        Rectangle { x: parent.width / 2; width: 1; height: parent.height; color: TC.colorSeparator }
        Rectangle { y: parent.height / 2; width: parent.width; height: 1; color: TC.colorSeparator }
        Rectangle {
            width: 10
            height: 10
            radius: 5
            x: _top.position.x * map.width - 5
            y: _top.position.y * map.height - 5
            color: TC.colorAccent
            border.color: TC.colorText
        }
        MouseArea {
            anchors.fill: parent
            function pick(mouse) {
                _top.update(Qt.point(Math.max(0, Math.min(1, mouse.x / width)), Math.max(0, Math.min(1, mouse.y / height))))
            }
            onPressed: pick(mouse)
            onPositionChanged: pick(mouse)
            onReleased: _top.undoPoint()
        }
    }
}
