import QtQuick 2.5
import TComponents 1.0
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// Limits an effect to painted regions: choose whether the brush paints the
// effect in or out, set its size, hardness and flow, invert or clear the
// mask. The strokes are drawn on the preview through the module's preview
// overlay loader, while the module loads the overlay (loadOverlay()).
TParamPanel {
    id: _top
    title: qsTr("MASK")
    expanded: false
    property var effect: null
    property var overlayLoader: null
    // Paint the effect in (true) or out.
    property bool paintIn: false
    property real brushSize: 0.25   // of the image's shorter side, at 1
    property real hardness: 0.5
    property real flow: 1.0
    readonly property bool active: expanded && effect !== null

    property var lastPosition: null

    function loadOverlay() {
        if (overlayLoader)
            overlayLoader.showResting(_top, "qrc:/TComponents/TEModuleMaskingOverlay.qml", { panel: _top })
    }
    function unloadOverlay() {
        if (overlayLoader)
            overlayLoader.hideResting(_top)
    }

    // A stroke: begins at a point of the image (0..1 coordinates), goes on
    // to the next ones with stamps close enough to leave no gaps, ends when
    // the mouse is let go.
    function beginStroke(position) {
        lastPosition = position
        paintAt(position)
    }
    function strokeTo(position) {
        if (!lastPosition || !effect)
            return beginStroke(position)
        var w = effect.input.width, h = effect.input.height
        var dx = (position.x - lastPosition.x) * w, dy = (position.y - lastPosition.y) * h
        var spacing = Math.max(1, brushRadius() / 4)
        var steps = Math.ceil(Math.sqrt(dx * dx + dy * dy) / spacing)
        for (var i = 1; i <= steps; ++i)
            paintAt(Qt.point(lastPosition.x + (position.x - lastPosition.x) * i / steps,
                             lastPosition.y + (position.y - lastPosition.y) * i / steps))
        lastPosition = position
    }
    // A stroke is one undo step.
    function endStroke() {
        lastPosition = null
        if (effect)
            effect.setUndoPoint()
    }
    // In image pixels.
    function brushRadius() {
        return Math.max(1, brushSize * 0.25 * Math.min(effect.input.width, effect.input.height))
    }

    // Stamps the brush at a point of the image (0..1 coordinates).
    function paintAt(position) {
        if (!effect)
            return
        if (effect.maskType === 0) {
            // The first stroke starts a mask: painting out shows the effect
            // everywhere but the strokes, painting in only in them.
            effect.setMaskSize(Math.round(effect.input.width), Math.round(effect.input.height))
            effect.maskType = paintIn ? 1 : 2
        }
        var erase = (effect.maskType === 1) !== paintIn
        effect.setBrush(brushRadius(), hardness, erase)
        effect.drawPoint(position, flow)
    }

    PmToggleButtonStd {
        label: qsTr("Brush")
        leftText: qsTr("Paint Out")
        rightText: qsTr("Paint In")
        checked: _top.paintIn
        onUpdate: _top.paintIn = checked
    }
    PmSlider { label: qsTr("Brush Size"); value: _top.brushSize; defaultValue: 0.25; onUpdate: _top.brushSize = value }
    PmSlider { label: qsTr("Hardness"); value: _top.hardness; defaultValue: 0.5; onUpdate: _top.hardness = value }
    PmSlider { label: qsTr("Flow"); value: _top.flow; defaultValue: 1; onUpdate: _top.flow = value }
    Row {
        spacing: TC.spacing
        TDialogButton {
            text: qsTr("Invert")
            enabled: _top.effect && _top.effect.maskType !== 0
            onClicked: {
                _top.effect.maskType = _top.effect.maskType === 1 ? 2 : 1
                _top.effect.setUndoPoint()
                _top.effect.procPreview()
            }
        }
        TDialogButton {
            text: qsTr("Clear")
            enabled: _top.effect && _top.effect.maskType !== 0
            onClicked: {
                _top.effect.clearMask()
                _top.effect.maskType = 0
                _top.effect.setUndoPoint()
                _top.effect.procPreview()
            }
        }
    }
    Text {
        width: parent.width
        wrapMode: Text.WordWrap
        text: qsTr("Paint on the picture to keep the photograph where you paint out.")
        color: TC.colorTextDim
        font.pointSize: TC.fontSizeSmall
    }
}
