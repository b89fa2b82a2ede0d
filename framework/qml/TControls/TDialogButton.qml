import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// A push button of the framework's dialogs; the default one is accented.
Button {
    id: control
    property bool isDefault: false
    implicitWidth: Math.max(84, label.implicitWidth + 28)
    implicitHeight: 28
    activeFocusOnPress: true
    opacity: enabled ? 1 : 0.45

    Text {
        id: label
        visible: false
        text: control.text
        font.pointSize: TC.fontSizeStd
    }

    style: ButtonStyle {
        background: Rectangle {
            radius: TC.radius
            color: control.isDefault ? (control.pressed ? Qt.darker(TC.colorAccent, 1.2) : control.hovered ? TC.colorAccentLight : TC.colorAccent)
                                     : (control.pressed ? TC.colorButtonPressed : control.hovered ? TC.colorButtonHover : TC.colorButton)
            border.color: control.activeFocus ? TC.colorAccentLight : TC.colorBorder
        }
        label: Text {
            text: control.text
            font.pointSize: TC.fontSizeStd
            color: control.isDefault ? TC.colorTextOnAccent : TC.colorText
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
    }
}
