import QtQuick 2.5
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The welcome shown over the modules when the program starts: it dims the
// window and offers the first steps. Modules put their own content into
// it; "Show at start-up" writes showAtStartup.
Rectangle {
    id: _top
    property string heading: qsTr("Welcome")
    property string text: ""
    property bool showAtStartup: true
    default property alias content: body.data
    property alias buttons: buttonRow.data
    signal closed()

    function show() { visible = true; panel.forceActiveFocus() }
    // The keys go back to the window once the panel is gone.
    function hide() { panel.focus = false; visible = false; closed() }

    anchors.fill: parent
    color: TC.colorOverlay
    // Escape closes it even when a menu kept the focus.
    Shortcut {
        sequence: "Escape"
        enabled: _top.visible
        onActivated: _top.hide()
    }
    visible: false

    // Clicks outside the panel do not reach the modules below.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        onWheel: wheel.accepted = true
    }

    TDialogFrame {
        id: panel
        anchors.centerIn: parent
        width: Math.min(560, parent.width - 40)
        height: Math.min(implicitHeight, parent.height - 40)
        heading: _top.heading
        onAcceptKey: _top.hide()
        onRejectKey: _top.hide()

        Column {
            id: body
            width: parent.width
            spacing: TC.spacing * 2
            Text {
                visible: _top.text !== ""
                width: parent.width
                text: _top.text
                color: TC.colorText
                font.pointSize: TC.fontSizeStd
                wrapMode: Text.WordWrap
                lineHeight: 1.2
            }
        }
        buttons: [
            Item {
                width: showBox.implicitWidth + 24
                height: 28
                TCheckOption {
                    id: showBox
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Show at start-up")
                    checked: _top.showAtStartup
                    onClicked: _top.showAtStartup = checked
                }
            },
            Row {
                id: buttonRow
                spacing: TC.spacing
            },
            TDialogButton {
                text: qsTr("Close")
                isDefault: true
                onClicked: _top.hide()
            }
        ]
    }
}
