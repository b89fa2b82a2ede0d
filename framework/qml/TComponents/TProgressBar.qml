import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A thin progress line. With busy and no known value it runs a sweep;
// otherwise it fills to value (0..1).
Rectangle {
    id: bar
    property bool busy: false
    property real value: -1
    readonly property bool indeterminate: busy && (value < 0 || value > 1)
    // How often the sweep moves on.
    property int stepMs: 150

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
    }
    // The sweep moves in steps, a few times a second: the scene graph draws
    // the whole window for every frame, which a software renderer takes
    // from the painting the bar waits for (at 60 frames a second, most of
    // a core).
    Timer {
        interval: bar.stepMs
        repeat: true
        running: bar.indeterminate && bar.visible
        onRunningChanged: sweep.x = -sweep.width
        onTriggered: sweep.x = sweep.x >= bar.width ? -sweep.width : sweep.x + sweep.width / 2
    }
}
