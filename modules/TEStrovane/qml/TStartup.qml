import QtQuick 2.5
import TControls 1.0
import TComponents 1.0

// The painting module's welcome: what it does, and the way into the tour.
TEStartupBase {
    id: _top
    objectName: "TStartup_TStrovane"
    signal walkThrough()
    heading: qsTr("Paint your photograph")
    text: qsTr("Strokes follow the shapes of your picture and take its colours. Start from a style, or tune brush, "
               + "colour, light and canvas yourself; the preview paints as you go. Apply when you like it.")
    buttons: TDialogButton {
        text: qsTr("Take the Tour")
        onClicked: {
            _top.hide()
            _top.walkThrough()
        }
    }
}
