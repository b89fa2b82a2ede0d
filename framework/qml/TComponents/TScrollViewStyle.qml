import QtQuick 2.5
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// Scroll bars in the program's dark palette: a thin handle on a dark
// groove, no arrow buttons.
ScrollViewStyle {
    transientScrollBars: false
    frame: Item {}
    scrollBarBackground: Rectangle {
        implicitWidth: 10
        implicitHeight: 10
        color: TC.colorPanelDark
    }
    handle: Item {
        implicitWidth: 10
        implicitHeight: 10
        Rectangle {
            anchors.fill: parent
            anchors.margins: 2
            radius: 3
            color: styleData.pressed || styleData.hovered ? TC.colorTextDim : TC.colorTextDisabled
        }
    }
    incrementControl: Item {}
    decrementControl: Item {}
    corner: Rectangle { color: TC.colorPanelDark }
}
