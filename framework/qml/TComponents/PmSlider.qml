import QtQuick 2.5
import QtQuick.Controls 1.6
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// A labelled slider with its value as text. Drag, click, arrow keys or a
// typed value change it; a double click puts the default back. update()
// tells every change, undoPoint() the end of one. Given an effect and a key
// it reads its label, range, default and value from the effect and writes
// the value back (with a preview and an undo point).
Item {
    id: _top
    property var effect: null
    property string key: ""
    readonly property var info: effect && key !== "" ? effect.paramInfo(key) : ({})
    property string label: info.label !== undefined ? info.label : ""
    property real minimumValue: info.min !== undefined ? info.min : 0
    property real maximumValue: info.max !== undefined ? info.max : 1
    property real stepSize: 0.01
    property real defaultValue: effect && key !== "" ? effect.defaultValue(key) : 0
    property real value: effect && key !== "" ? effect[key] : 0
    signal update(real value)
    signal undoPoint()

    implicitHeight: 44
    width: parent ? parent.width : 200
    opacity: enabled ? 1 : 0.4
    state: enabled ? "enabled" : "disabled"

    function change(v, finished) {
        v = Math.max(minimumValue, Math.min(maximumValue, Math.round(v / stepSize) * stepSize))
        if (effect && key !== "") {
            effect[key] = v
            effect.procPreview()
        }
        update(v)
        if (finished)
            finish()
    }
    function finish() {
        if (effect && key !== "")
            effect.setUndoPoint()
        undoPoint()
    }

    Text {
        id: caption
        anchors { left: parent.left; top: parent.top }
        text: _top.label
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    TextInput {
        id: entry
        anchors { right: parent.right; top: parent.top }
        width: 44
        horizontalAlignment: TextInput.AlignRight
        color: activeFocus ? TC.colorAccentLight : TC.colorTextDim
        font.pointSize: TC.fontSizeSmall
        selectByMouse: true
        validator: DoubleValidator { bottom: _top.minimumValue; top: _top.maximumValue; decimals: 2 }
        text: _top.value.toFixed(2)
        onAccepted: {
            _top.change(parseFloat(text), true)
            focus = false
        }
        onActiveFocusChanged: if (!activeFocus) text = Qt.binding(function() { return _top.value.toFixed(2) })
    }
    Slider {
        id: slider
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        minimumValue: _top.minimumValue
        maximumValue: _top.maximumValue
        stepSize: _top.stepSize
        updateValueWhileDragging: true
        activeFocusOnPress: true
        // The wheel scrolls the panel the slider is in; it never moves a
        // knob away from its value.
        wheelEnabled: false
        property double lastPress: 0
        // The knob follows the effect except while the user drags it.
        value: _top.value
        Connections {
            target: _top
            function onValueChanged() {
                if (!slider.pressed)
                    slider.value = _top.value
            }
        }
        onValueChanged: {
            // Only the user's moves are news; following the effect is not.
            if ((pressed || activeFocus) && Math.abs(value - _top.value) > 1e-6)
                _top.change(value, !pressed)
        }
        onPressedChanged: {
            if (pressed) {
                // Two presses in quick succession: back to the default.
                const now = Date.now()
                if (now - lastPress < 400)
                    _top.change(_top.defaultValue, false)
                lastPress = now
            } else {
                _top.finish()
            }
        }
        style: SliderStyle {
            groove: Rectangle {
                implicitHeight: 4
                radius: 2
                color: TC.colorInput
                Rectangle {
                    // The part from zero (or the minimum) to the value.
                    readonly property real zero: (Math.max(control.minimumValue, 0) - control.minimumValue)
                                                 / (control.maximumValue - control.minimumValue)
                    readonly property real at: (control.value - control.minimumValue) / (control.maximumValue - control.minimumValue)
                    x: parent.width * Math.min(zero, at)
                    width: parent.width * Math.abs(at - zero)
                    height: parent.height
                    radius: 2
                    color: control.enabled ? TC.colorAccent : TC.colorTextDisabled
                }
            }
            handle: Rectangle {
                implicitWidth: 12
                implicitHeight: 12
                radius: 6
                color: control.pressed ? TC.colorAccentLight : TC.colorText
                border.color: control.activeFocus ? TC.colorAccent : TC.colorBorder
            }
        }
    }
}
