import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// A labelled choice among texts; value is the chosen text.
Row {
    id: row
    property alias label: caption.text
    property var options: []
    property string value: ""
    property int labelWidth: 130
    property int choiceWidth: 180
    spacing: TC.spacing
    height: 28

    Text {
        id: caption
        width: row.labelWidth
        height: parent.height
        verticalAlignment: Text.AlignVCenter
        color: TC.colorText
        font.pointSize: TC.fontSizeStd
    }
    ComboBox {
        id: combo
        width: row.choiceWidth
        height: parent.height
        model: row.options
        currentIndex: Math.max(0, row.options.indexOf(row.value))
        onActivated: row.value = row.options[index]
        style: ComboBoxStyle {
            background: Rectangle {
                radius: TC.radius
                color: control.hovered ? TC.colorButtonHover : TC.colorButton
                border.color: control.activeFocus ? TC.colorAccent : TC.colorBorder
                Text {
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: "\u25BE"
                    color: TC.colorTextDim
                }
            }
            label: Text {
                text: control.currentText
                color: TC.colorText
                font.pointSize: TC.fontSizeStd
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
}
