import QtQuick 2.5

// The masking panel's brush over the preview: while the panel is open, the
// mouse paints the mask on the picture as it is shown, and the circle
// under the mouse is the brush at the size it paints.
MouseArea {
    id: _top
    property var panel: null
    property var view: null
    readonly property var effect: panel ? panel.effect : null
    anchors.fill: parent
    enabled: panel !== null && panel.active && view !== null
    hoverEnabled: enabled
    cursorShape: enabled ? Qt.CrossCursor : Qt.ArrowCursor

    function imagePoint(mouse) {
        var item = view.previewItem
        var p = _top.mapToItem(item, mouse.x, mouse.y)
        return Qt.point(Math.max(0, Math.min(1, p.x / item.width)), Math.max(0, Math.min(1, p.y / item.height)))
    }
    onPressed: {
        panel.beginStroke(imagePoint(mouse))
        previewTimer.start()
    }
    onPositionChanged: {
        if (!pressed)
            return
        panel.strokeTo(imagePoint(mouse))
        if (!previewTimer.running)
            previewTimer.start()
    }
    onReleased: {
        panel.endStroke()
        previewTimer.stop()
        effect.procPreview()
    }
    // Long strokes show as they go, without a preview per mouse move.
    Timer {
        id: previewTimer
        interval: 150
        onTriggered: _top.effect.procPreview()
    }
    Rectangle {
        visible: _top.enabled && _top.containsMouse
        readonly property real diameter: _top.effect && _top.view
            ? 2 * _top.panel.brushRadius() * _top.view.zoom : 0
        width: diameter
        height: diameter
        radius: diameter / 2
        x: _top.mouseX - diameter / 2
        y: _top.mouseY - diameter / 2
        color: "transparent"
        border.color: _top.panel && _top.panel.paintIn ? "#80e08a" : "#f08070"
        border.width: 2
    }
}
