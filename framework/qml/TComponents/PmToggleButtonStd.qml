import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A labelled choice between two texts; checked means the right one.
// update(checked) then undoPoint() tell a choice.
Column {
    id: _top
    property string label: ""
    property string leftText: qsTr("Off")
    property string rightText: qsTr("On")
    property bool checked: false
    signal update(bool checked)
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
        texts: [_top.leftText, _top.rightText]
        index: _top.checked ? 1 : 0
        onActivated: {
            _top.update(index === 1)
            _top.undoPoint()
        }
    }
}
