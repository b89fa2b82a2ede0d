import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A thin progress line. With busy and no known value it runs a sweep;
// otherwise it fills to value (0..1).
Rectangle {
    id: bar
    property bool busy: false
    property real value: -1
    readonly property bool indeterminate: busy && (value < 0 || value > 1)

    implicitHeight: TC.heightProgressBar
    color: busy ? TC.colorPanelDark : "transparent"

    Rectangle {
        visible: bar.busy && !bar.indeterminate
        height: parent.height
        width: parent.width * Math.max(0, Math.min(1, bar.value))
        color: TC.colorAccent
    }
    Rectangle {
        id: sweep
        visible: bar.indeterminate
        height: parent.height
        width: Math.max(24, parent.width / 5)
        color: TC.colorAccent
        NumberAnimation on x {
            running: bar.indeterminate
            loops: Animation.Infinite
            from: -sweep.width
            to: bar.width
            duration: 1100
            easing.type: Easing.InOutQuad
        }
    }
}
