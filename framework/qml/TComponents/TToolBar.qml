import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import "qrc:/TBase/TmConfigure.js" as TC

// The framework's tool bar: a dark strip with a hairline below.
ToolBar {
    implicitHeight: TC.heightToolBar
    style: ToolBarStyle {
        padding { left: TC.spacing; right: TC.spacing; top: 2; bottom: 2 }
        background: Rectangle {
            color: TC.colorPanelDark
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: TC.colorBorder
            }
        }
    }
}
