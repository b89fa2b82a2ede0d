import QtQuick 2.5
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// How painters share their styles here: as preset files, exported from and
// imported into the style panel.
Rectangle {
    id: _top
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
        width: 480
        heading: qsTr("Sharing styles")
        onAcceptKey: _top.hide()
        onRejectKey: _top.hide()
        Column {
            width: parent.width
            spacing: TC.spacing
            Repeater {
                model: [
                    qsTr("Save the settings you like as a style of your own in the style panel."),
                    qsTr("Export a style to a preset file (.json) and give it to whoever you like."),
                    qsTr("Import a preset file someone gave you: it joins your styles, ready to apply."),
                    qsTr("Brush sets travel the same way: import a set's description and atlas from the File menu.")
                ]
                Text {
                    width: parent.width
                    wrapMode: Text.WordWrap
                    color: TC.colorText
                    font.pointSize: TC.fontSizeStd
                    text: "\u2022  " + modelData
                }
            }
        }
        buttons: TDialogButton { text: qsTr("Close"); isDefault: true; onClicked: _top.hide() }
    }
}
