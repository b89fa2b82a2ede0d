import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// A check box in the program's palette.
CheckBox {
    id: control
    style: CheckBoxStyle {
        spacing: TC.spacing
        indicator: Rectangle {
            implicitWidth: 16
            implicitHeight: 16
            radius: 2
            color: TC.colorInput
            border.color: control.activeFocus ? TC.colorAccent : TC.colorSeparator
            Rectangle {
                visible: control.checked
                anchors.fill: parent
                anchors.margins: 4
                radius: 1
                color: TC.colorAccent
            }
        }
        label: Text {
            text: control.text
            color: control.enabled ? TC.colorText : TC.colorTextDisabled
            font.pointSize: TC.fontSizeStd
        }
    }
}
