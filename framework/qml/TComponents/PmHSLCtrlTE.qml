import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// Hue, saturation and lightness of all colours at once or of one of eight
// colour ranges: pick the range from the swatches, then move its three
// sliders. hoveredColor names the range under the mouse ("" when none).
Column {
    id: _top
    property var effect: null
    property string channel: "all"
    property string hoveredColor: ""
    readonly property var channels: ["all", "red", "orange", "yellow", "green", "aqua", "blue", "purple", "magenta"]
    readonly property var swatches: ["#9a9a9a", "#e0443a", "#ef8a2e", "#e9d23c", "#5fbf4a", "#3fc2c2", "#3e6fe0", "#8a52d6", "#d64fb4"]
    width: parent ? parent.width : 240
    spacing: TC.spacing

    Row {
        spacing: 4
        Repeater {
            model: _top.channels
            Rectangle {
                width: (_top.width - 8 * 4) / 9
                height: width
                radius: 3
                color: _top.swatches[index]
                border.width: _top.channel === modelData ? 2 : 1
                border.color: _top.channel === modelData ? TC.colorText : TC.colorBorder
                Text {
                    visible: index === 0
                    anchors.centerIn: parent
                    text: "A"
                    font.pointSize: TC.fontSizeSmall
                    font.bold: true
                    color: TC.colorTextOnAccent
                }
                MouseArea {
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: _top.hoveredColor = modelData === "all" ? "" : modelData
                    onExited: _top.hoveredColor = ""
                    onClicked: _top.channel = modelData
                }
            }
        }
    }
    PmSlider { effect: _top.effect; key: "hsl_hue_" + _top.channel }
    PmSlider { effect: _top.effect; key: "hsl_sat_" + _top.channel }
    PmSlider { effect: _top.effect; key: "hsl_lum_" + _top.channel }
}
