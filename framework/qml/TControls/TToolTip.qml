import QtQuick 2.9
import QtQuick.Window 2.3
import "qrc:/TBase/TmConfigure.js" as TC

// A tooltip for any item: after the pointer has rested on it for a moment,
// the full text shows under the target, over everything else in the window
// (clipping views included). hovered says whether the pointer is there.
Item {
    id: _top
    property Item target: parent
    property string text: ""
    property bool hovered: false

    Timer {
        interval: 600
        running: _top.hovered && _top.text !== ""
        onTriggered: tip.showUnder(_top.target)
    }
    onHoveredChanged: if (!hovered) tip.visible = false
    Component.onDestruction: tip.visible = false

    Rectangle {
        id: tip
        objectName: "toolTip"
        parent: _top.Window.window ? _top.Window.window.contentItem : _top
        visible: false
        z: 10000
        width: Math.min(label.implicitWidth, 360) + 12
        height: label.height + 8
        radius: TC.radius
        color: TC.colorPanelDark
        border.color: TC.colorBorder

        function showUnder(item) {
            if (!item || !parent)
                return
            var p = item.mapToItem(parent, 0, item.height + 4)
            x = Math.max(0, Math.min(parent.width - width, p.x))
            y = p.y + height > parent.height ? item.mapToItem(parent, 0, 0).y - height - 4 : p.y
            visible = true
        }

        Text {
            id: label
            x: 6
            y: 4
            width: Math.min(implicitWidth, 360)
            text: _top.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            color: TC.colorText
            font.pointSize: TC.fontSizeSmall
        }
    }
}
