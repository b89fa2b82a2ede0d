import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import QtQuick.Dialogs 1.2
import TBase 1.0
import TControls 1.0
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The painting styles of the preset database as thumbnails with names: a
// click puts a style's settings into the effect as one undo step. Each
// tile shows its style on the open picture once thumbnails has painted it
// (the tiles in sight first), the bundled thumbnail until then. The
// current settings can be kept as a style of the user's own. A right click
// opens a style's menu (export; delete, after asking, for the user's own).
Item {
    id: _top
    property var effect
    property var database
    property string message: ""
    // The style whose settings the painting has now (it follows undo and
    // redo); Export writes it.
    property string selectedGuid: ""
    // A TStyleThumbnails, or null: the bundled thumbnails only.
    property var thumbnails: null

    // Parsed presets by style, read once.
    property var presets: ({})
    function presetOf(guid) {
        if (presets[guid] === undefined)
            presets[guid] = JSON.parse(database.presetOf(guid))
        return presets[guid]
    }
    function findSelected() {
        if (!effect || !database)
            return
        var styles = database.styles
        for (var i = 0; i < styles.length; ++i) {
            if (effect.matchesPreset(presetOf(styles[i].guid))) {
                selectedGuid = styles[i].guid
                return
            }
        }
        selectedGuid = ""
    }
    Connections {
        target: _top.effect
        function onUndoStateChanged() { _top.findSelected() }
    }
    Connections {
        target: _top.database
        function onStylesChanged() {
            _top.presets = {}
            _top.findSelected()
            _top.paintThumbnails()
        }
    }
    Connections {
        target: _top.thumbnails
        function onPictureChanged() { _top.preferVisible() }
    }
    Component.onCompleted: {
        findSelected()
        paintThumbnails()
    }

    function paintThumbnails() {
        if (!thumbnails || !database)
            return
        thumbnails.styles = database.styles.map(function(s) { return { guid: s.guid, preset: _top.presetOf(s.guid) } })
        preferVisible()
    }
    // The tiles in sight are painted first.
    function preferVisible() {
        if (!thumbnails || !database || grid.count === 0)
            return
        var first = grid.indexAt(1, grid.contentY + 1)
        var last = grid.indexAt(grid.width - 2, grid.contentY + grid.height - 2)
        if (first < 0)
            first = 0
        if (last < 0)
            last = grid.count - 1
        var styles = database.styles, guids = []
        for (var i = first; i <= last && i < styles.length; ++i)
            guids.push(styles[i].guid)
        thumbnails.prefer(guids)
    }

    function applyStyle(guid) {
        effect.setPreset(presetOf(guid))
        effect.setUndoPoint()
        effect.procPreview()
        selectedGuid = guid
    }
    function exportStyle(guid) {
        fileDialog.exportGuid = guid
        fileDialog.exporting = true
        fileDialog.open()
    }
    function askToDelete(style) {
        confirmation.guid = style.guid
        confirmation.confirm(qsTr("Delete the style \u201c%1\u201d? This cannot be undone.").arg(style.name),
                             qsTr("Delete"), qsTr("Delete Style"))
    }
    function saveStyle(name) {
        message = database.saveStyle(name, TUtils.presetToString(effect.getPreset()))
        if (message === "")
            nameField.text = ""
    }

    GridView {
        id: grid
        objectName: "styleGrid"
        anchors { left: parent.left; right: parent.right; top: parent.top; bottom: saveRow.top; margins: TC.spacing }
        clip: true
        cellWidth: width / 2
        cellHeight: cellWidth * 150 / 240 + 22
        model: _top.database ? _top.database.styles : []
        onContentYChanged: _top.preferVisible()
        onHeightChanged: _top.preferVisible()
        delegate: Item {
            id: tile
            width: grid.cellWidth
            height: grid.cellHeight
            readonly property int revision: _top.thumbnails ? _top.thumbnails.revision : 0
            readonly property url painted: {
                tile.revision
                return _top.thumbnails ? _top.thumbnails.source(modelData.guid) : ""
            }
            readonly property bool working: {
                tile.revision
                return _top.thumbnails ? _top.thumbnails.pending(modelData.guid) : false
            }
            Image {
                id: thumb
                anchors { left: parent.left; right: parent.right; top: parent.top; margins: 3 }
                height: width * 150 / 240
                source: tile.painted.toString() !== "" ? tile.painted : (modelData.thumbnail || "")
                fillMode: Image.PreserveAspectCrop
                // Reduced once, smoothly, rather than sampled on every frame.
                sourceSize { width: thumb.width; height: thumb.height }
                asynchronous: true
                Rectangle {
                    anchors.fill: parent
                    color: "transparent"
                    border.color: area.containsMouse || modelData.guid === _top.selectedGuid ? TC.colorAccent : TC.colorBorder
                    border.width: area.containsMouse || modelData.guid === _top.selectedGuid ? 2 : 1
                }
                Rectangle {
                    visible: thumb.status !== Image.Ready
                    anchors.fill: parent
                    color: TC.colorPanelLight
                    Text { anchors.centerIn: parent; text: qsTr("Your style"); color: TC.colorTextDim; font.pointSize: TC.fontSizeSmall }
                }
                // Its thumbnail of the picture is on the way.
                Row {
                    objectName: "thumbnailWorking"
                    visible: tile.working
                    anchors { right: parent.right; bottom: parent.bottom; margins: 5 }
                    spacing: 2
                    Repeater {
                        model: 3
                        Rectangle { width: 3; height: 3; radius: 1.5; color: TC.colorText; opacity: 0.7 }
                    }
                }
            }
            Text {
                id: nameText
                anchors { left: parent.left; right: parent.right; top: thumb.bottom; topMargin: 2; leftMargin: 3 }
                text: modelData.name
                textFormat: Text.PlainText
                elide: Text.ElideRight
                color: TC.colorText
                font.pointSize: TC.fontSizeSmall
            }
            MouseArea {
                id: area
                anchors.fill: parent
                hoverEnabled: true
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onClicked: {
                    if (mouse.button === Qt.RightButton) {
                        styleMenu.entry = modelData
                        styleMenu.popup()
                    } else {
                        _top.applyStyle(modelData.guid)
                    }
                }
            }
            TToolTip {
                target: nameText
                text: modelData.name
                hovered: area.containsMouse && nameText.truncated
            }
        }
    }
    Column {
        id: saveRow
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom; margins: TC.spacing }
        spacing: 4
        Text {
            visible: _top.message !== ""
            width: parent.width
            text: _top.message
            textFormat: Text.PlainText
            wrapMode: Text.WordWrap
            color: TC.colorError
            font.pointSize: TC.fontSizeSmall
        }
        Row {
            spacing: TC.spacing
            TDialogButton {
                text: qsTr("Import...")
                implicitWidth: (saveRow.width - TC.spacing) / 2
                onClicked: {
                    fileDialog.exporting = false
                    fileDialog.open()
                }
            }
            TDialogButton {
                text: qsTr("Export...")
                implicitWidth: (saveRow.width - TC.spacing) / 2
                enabled: _top.selectedGuid !== ""
                onClicked: _top.exportStyle(_top.selectedGuid)
            }
        }
        Row {
            spacing: TC.spacing
            TextField {
                id: nameField
                objectName: "styleName"
                width: saveRow.width - saveButton.width - TC.spacing
                placeholderText: qsTr("Name of a new style")
                onAccepted: _top.saveStyle(text)
                style: TextFieldStyle {
                    textColor: TC.colorText
                    placeholderTextColor: TC.colorTextDim
                    background: Rectangle {
                        implicitHeight: 26
                        radius: TC.radius
                        color: TC.colorInput
                        border.color: control.activeFocus ? TC.colorAccent : TC.colorSeparator
                    }
                }
            }
            TDialogButton {
                id: saveButton
                text: qsTr("Keep Style")
                enabled: nameField.text.trim() !== ""
                onClicked: _top.saveStyle(nameField.text)
            }
        }
    }

    Menu {
        id: styleMenu
        property var entry: null
        style: TMenuStyle {}
        MenuItem {
            text: qsTr("Export...")
            onTriggered: _top.exportStyle(styleMenu.entry.guid)
        }
        MenuItem {
            text: qsTr("Delete...")
            visible: styleMenu.entry !== null && !styleMenu.entry.builtIn
            onTriggered: _top.askToDelete(styleMenu.entry)
        }
    }
    TMessageDialog {
        id: confirmation
        property string guid: ""
        onYes: _top.message = _top.database.deleteStyle(guid)
    }

    FileDialog {
        id: fileDialog
        property bool exporting: false
        property string exportGuid: ""
        title: exporting ? qsTr("Export Style") : qsTr("Import Style")
        selectExisting: !exporting
        nameFilters: [qsTr("Presets (*.json)")]
        onAccepted: {
            if (exporting) {
                var url = fileUrl.toString().toLowerCase().endsWith(".json") ? fileUrl : fileUrl + ".json"
                _top.message = _top.database.exportStyle(exportGuid, url)
            } else {
                _top.message = _top.database.importStyle(fileUrl)
            }
        }
    }
}
