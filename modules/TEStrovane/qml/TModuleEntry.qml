import QtQuick 2.5
import TEStrovane 1.0

// The painting module's entry: the effect on the shell's current image.
Item {
    id: _top
    property var input
    property alias output: teffect.output
    property alias teffect: teffect
    signal finished(bool isApplied)

    TStrovane {
        id: teffect
        input: _top.input ? _top.input : teffect.input
        Component.onCompleted: procPreview()
    }
}
