import QtQuick 2.5
import QtQuick.Layouts 1.2
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// Zoom and panning on the left, the picture's caption in the middle, undo
// and redo of the history on the right.
TToolBar {
    id: bar
    property var actions
    property alias imageText: caption.text

    RowLayout {
        anchors.fill: parent
        spacing: 2
        TToolButtonIcon { action: bar.actions.actZoomIn }
        TToolButtonIcon { action: bar.actions.actZoomOut }
        TToolButtonIcon { action: bar.actions.actZoom100 }
        TToolButtonIcon { action: bar.actions.actZoomFit }
        TToolButtonIcon { action: bar.actions.actPanning }
        Item { Layout.fillWidth: true }
        Text {
            id: caption
            textFormat: Text.PlainText
            color: TC.colorText
            font.pointSize: TC.fontSizeStd
            horizontalAlignment: Text.AlignRight
            elide: Text.ElideMiddle
            Layout.maximumWidth: bar.width / 2
        }
        Item { Layout.fillWidth: true }
        TToolButtonIcon { action: bar.actions.actPrevImage }
        TToolButtonIcon { action: bar.actions.actNextImage }
    }
}
