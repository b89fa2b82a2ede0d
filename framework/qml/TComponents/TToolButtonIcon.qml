import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// A flat tool button showing its action's icon; lit under the mouse and
// while checked, dimmed when disabled.
ToolButton {
    id: control
    implicitWidth: TC.sizeButton
    implicitHeight: TC.sizeButton
    style: ButtonStyle {
        background: Rectangle {
            radius: TC.radius
            color: control.pressed ? TC.colorButtonPressed
                 : control.checked ? TC.colorButtonChecked
                 : control.hovered && control.enabled ? TC.colorButtonHover : "transparent"
            border.color: control.checked ? TC.colorAccent : "transparent"
        }
        label: Item {
            Image {
                anchors.centerIn: parent
                source: control.iconSource
                sourceSize: Qt.size(TC.sizeIcon, TC.sizeIcon)
                opacity: control.enabled ? 1 : 0.3
                smooth: true
            }
        }
    }
}
