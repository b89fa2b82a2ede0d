import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A position picker at work over the preview: cross hairs on the picked
// point of the picture; click or drag to move it, let go to finish.
MouseArea {
    id: _top
    property var picker: null
    property var view: null
    readonly property var picture: view ? view.previewItem : null
    anchors.fill: parent
    cursorShape: Qt.CrossCursor
    hoverEnabled: true

    // The picked point where the preview shows it now.
    readonly property point marker: {
        if (!picture || !picker)
            return Qt.point(-100, -100)
        void (picture.x + picture.y + picture.width + picture.height + width + height)
        return picture.mapToItem(_top, picker.position.x * picture.width, picker.position.y * picture.height)
    }
    function imagePoint(mouse) {
        var p = _top.mapToItem(picture, mouse.x, mouse.y)
        return Qt.point(Math.max(0, Math.min(1, p.x / picture.width)), Math.max(0, Math.min(1, p.y / picture.height)))
    }
    onPressed: if (picture) picker.update(imagePoint(mouse))
    onPositionChanged: if (pressed && picture) picker.update(imagePoint(mouse))
    onReleased: picker.finishPicking(true)

    Rectangle { x: _top.marker.x - 0.5; y: _top.marker.y - 14; width: 1; height: 28; color: "white" }
    Rectangle { x: _top.marker.x - 14; y: _top.marker.y - 0.5; width: 28; height: 1; color: "white" }
    Rectangle {
        x: _top.marker.x - 8
        y: _top.marker.y - 8
        width: 16
        height: 16
        radius: 8
        color: "transparent"
        border.color: TC.colorAccent
        border.width: 2
    }
    Rectangle {
        anchors { horizontalCenter: parent.horizontalCenter; top: parent.top; topMargin: 44 }
        width: hint.implicitWidth + 2 * TC.margin
        height: hint.implicitHeight + TC.margin
        radius: 3
        color: "#c0202020"
        Text {
            id: hint
            anchors.centerIn: parent
            color: TC.colorText
            font.pointSize: TC.fontSizeSmall
            text: qsTr("Click or drag on the picture to set %1 (Esc to stop)").arg(_top.picker ? _top.picker.label : "")
        }
    }
}
