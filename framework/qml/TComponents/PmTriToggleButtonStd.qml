import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A labelled choice of three (0, 1, 2). update(value) then undoPoint() tell
// a choice.
Column {
    id: _top
    property string label: ""
    property var texts: [qsTr("Few"), qsTr("Some"), qsTr("Many")]
    property int value: 0
    signal update(int value)
    signal undoPoint()
    width: parent ? parent.width : 200
    spacing: 4
    opacity: enabled ? 1 : 0.4
    state: enabled ? "enabled" : "disabled"

    Text {
        text: _top.label
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    PmSegments {
        width: parent.width
        texts: _top.texts
        index: _top.value
        onActivated: {
            _top.update(index)
            _top.undoPoint()
        }
    }
}
