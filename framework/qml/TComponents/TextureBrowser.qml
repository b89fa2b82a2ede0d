import QtQuick 2.5
import TComponents 1.0
import TControls 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// Brush sets or canvases as thumbnails with names; the chosen one is
// marked. picked(guid) tells a choice.
Column {
    id: _top
    property alias kind: catalogue.kind
    property string label: ""
    property string currentGuid: ""
    property int columns: 3
    signal picked(string guid)
    width: parent ? parent.width : 240
    spacing: 4

    TTextureCatalogue { id: catalogue }

    Text {
        width: parent.width
        elide: Text.ElideRight
        textFormat: Text.PlainText
        text: _top.label + (catalogue.nameOf(_top.currentGuid) !== "" ? ": " + catalogue.nameOf(_top.currentGuid) : "")
        color: TC.colorText
        font.pointSize: TC.fontSizeSmall
    }
    Grid {
        id: grid
        columns: _top.columns
        spacing: 3
        Repeater {
            model: catalogue.items
            Rectangle {
                objectName: "texture-" + modelData.guid
                width: (_top.width - (_top.columns - 1) * grid.spacing) / _top.columns
                height: width * 0.72
                color: TC.colorInput
                border.width: modelData.guid === _top.currentGuid ? 2 : 1
                border.color: modelData.guid === _top.currentGuid ? TC.colorAccent
                            : area.containsMouse ? TC.colorTextDim : TC.colorBorder
                Image {
                    anchors { fill: parent; margins: 2; bottomMargin: 14 }
                    source: modelData.thumbnail
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                    sourceSize.width: 128
                }
                Text {
                    id: name
                    anchors { left: parent.left; right: parent.right; bottom: parent.bottom; margins: 2 }
                    text: modelData.name
                    textFormat: Text.PlainText
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignHCenter
                    color: modelData.guid === _top.currentGuid ? TC.colorAccentLight : TC.colorTextDim
                    font.pointSize: TC.fontSizeSmall - 1
                }
                MouseArea {
                    id: area
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: if (modelData.guid !== _top.currentGuid) _top.picked(modelData.guid)
                }
                TToolTip {
                    target: name
                    text: modelData.name
                    hovered: area.containsMouse && name.truncated
                }
            }
        }
    }
}
