import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// Menus and the menu bar in the program's dark palette.
MenuStyle {
    frame: Rectangle {
        color: TC.colorPanelLight
        border.color: TC.colorBorder
    }
    itemDelegate.background: Rectangle {
        color: styleData.selected && styleData.enabled ? TC.colorSelection : "transparent"
    }
    itemDelegate.label: Text {
        text: styleData.text.replace("&", "")
        color: styleData.enabled ? TC.colorText : TC.colorTextDisabled
        font.pointSize: TC.fontSizeStd
    }
    itemDelegate.shortcut: Text {
        text: styleData.shortcut
        color: TC.colorTextDim
        font.pointSize: TC.fontSizeSmall
    }
    itemDelegate.checkmarkIndicator: Text {
        text: styleData.checked ? "\u2713" : ""
        color: TC.colorAccent
        font.pointSize: TC.fontSizeStd
    }
    separator: Rectangle {
        implicitHeight: 5
        color: "transparent"
        Rectangle {
            anchors.centerIn: parent
            width: parent.width - 8
            height: 1
            color: TC.colorSeparator
        }
    }
}
