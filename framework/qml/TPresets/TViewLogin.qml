import QtQuick 2.5
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// Where a product with an online service would sign in. This program keeps
// everything on this computer, and says so: there is no account.
Rectangle {
    id: _top
    property bool signedIn: false
    signal closed()
    function show() { visible = true; frame.forceActiveFocus() }
    // The keys go back to the window once the panel is gone.
    function hide() { frame.focus = false; visible = false; closed() }

    anchors.fill: parent
    // Escape closes it even when a menu kept the focus.
    Shortcut {
        sequence: "Escape"
        enabled: _top.visible
        onActivated: _top.hide()
    }
    visible: false
    color: TC.colorOverlay
    MouseArea { anchors.fill: parent }

    TDialogFrame {
        id: frame
        anchors.centerIn: parent
        width: 440
        heading: qsTr("No account needed")
        onAcceptKey: _top.hide()
        onRejectKey: _top.hide()
        Text {
            width: parent.width
            wrapMode: Text.WordWrap
            color: TC.colorText
            font.pointSize: TC.fontSizeStd
            text: qsTr("Strovane works entirely on this computer. Your styles live in your preset database; "
                       + "to share one, export it as a preset file and send the file. Nothing is uploaded.")
        }
        buttons: TDialogButton { text: qsTr("OK"); isDefault: true; onClicked: _top.hide() }
    }
}
