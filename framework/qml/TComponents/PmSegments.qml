import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// A row of mutually exclusive segments; index is the chosen one. Clicking
// one emits activated(index).
Row {
    id: row
    property var texts: []
    property int index: 0
    signal activated(int index)
    spacing: 0
    height: 24

    Repeater {
        model: row.texts
        Rectangle {
            width: row.width / row.texts.length
            height: row.height
            color: index === row.index ? TC.colorButtonChecked : area.containsMouse ? TC.colorButtonHover : TC.colorButton
            border.color: index === row.index ? TC.colorAccent : TC.colorBorder
            Text {
                anchors.centerIn: parent
                text: modelData
                color: index === row.index ? TC.colorAccentLight : TC.colorText
                font.pointSize: TC.fontSizeSmall
            }
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                onClicked: if (index !== row.index) row.activated(index)
            }
        }
    }
}
