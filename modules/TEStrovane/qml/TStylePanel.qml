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
// current settings can be kept as a style of the user's own, which then is
// in sight and chosen. A right click opens a style's menu: for a built-in
// one Export and Duplicate as My Style, for the user's own Rename, Update
// with the current settings, Export and Delete (after asking; deleted()
// hands over how to bring it back). moveChoice takes the arrow keys
// through the grid, applying the style reached.
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
    // The user's style whose name is being edited in its tile.
    property string renamingGuid: ""

    // A style was deleted: {title, undoCount (the effect's when it went),
    // restore()}.
    signal deleted(var restorable)

    // The groups a style belongs to, as the preset database names them.
    readonly property var groups: [
        { key: "", text: qsTr("All Styles") },
        { key: "oil", text: qsTr("Oil") },
        { key: "watercolour", text: qsTr("Watercolour and Wash") },
        { key: "pastel", text: qsTr("Pastel and Chalk") },
        { key: "ink", text: qsTr("Ink and Line") },
        { key: "experimental", text: qsTr("Experimental") },
        { key: "mine", text: qsTr("My Styles") }
    ]
    readonly property string groupKey: {
        for (var i = 0; i < groups.length; ++i) {
            if (groups[i].text === groupChoice.value)
                return groups[i].key
        }
        return ""
    }
    // The styles of the group chosen whose names hold the filter's text.
    readonly property var shownStyles: {
        if (!database)
            return []
        var wanted = filterField.text.trim().toLowerCase(), group = groupKey
        return database.styles.filter(function(s) {
            return (group === "" || s.group === group) && (wanted === "" || s.name.toLowerCase().indexOf(wanted) >= 0)
        })
    }

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
        // The chosen style stays chosen while it matches (a style kept
        // under a name matches the one it was made from too).
        if (selectedGuid !== "" && styleOf(selectedGuid) && effect.matchesPreset(presetOf(selectedGuid)))
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
        var styles = shownStyles, guids = []
        for (var i = first; i <= last && i < styles.length; ++i)
            guids.push(styles[i].guid)
        thumbnails.prefer(guids)
    }

    // Where the grid shows the style; -1 when it does not.
    function indexOf(guid) {
        for (var i = 0; i < shownStyles.length; ++i) {
            if (shownStyles[i].guid === guid)
                return i
        }
        return -1
    }
    function styleOf(guid) {
        var styles = database ? database.styles : []
        for (var i = 0; i < styles.length; ++i) {
            if (styles[i].guid === guid)
                return styles[i]
        }
        return null
    }
    // The style in sight and chosen (the filter and group cleared when they
    // hide it).
    function showStyle(guid) {
        if (indexOf(guid) < 0) {
            filterField.text = ""
            groupChoice.value = groups[0].text
        }
        var i = indexOf(guid)
        if (i < 0)
            return
        selectedGuid = guid
        grid.currentIndex = i
        grid.positionViewAtIndex(i, GridView.Contain)
    }
    function currentPresetText() {
        return TUtils.presetToString(effect.getPreset())
    }

    // An arrow key ("Left", "Right", "Up", "Down"): the next style that
    // way chosen and applied.
    function moveChoice(key) {
        var steps = { Left: -1, Right: 1, Up: -2, Down: 2 }
        if (!database || steps[key] === undefined)
            return
        var styles = shownStyles, from = indexOf(selectedGuid)
        var to = from < 0 ? 0 : from + steps[key]
        if (to < 0 || to >= styles.length)
            return
        grid.currentIndex = to
        grid.positionViewAtIndex(to, GridView.Contain)
        applyStyle(styles[to].guid)
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
        confirmation.confirm(qsTr("Delete the style \u201c%1\u201d? Ctrl+Z brings it back.").arg(style.name),
                             qsTr("Delete"), qsTr("Delete Style"))
    }
    function deleteStyle(guid) {
        var style = styleOf(guid)
        if (!style)
            return
        var name = style.name, preset = database.presetOf(guid), undoCount = effect.undoCount
        // The grid stays where it was, less the style.
        var contentY = grid.contentY
        message = database.deleteStyle(guid)
        if (message !== "")
            return
        grid.contentY = Math.max(0, Math.min(contentY, grid.contentHeight - grid.height))
        deleted({
            title: qsTr("Delete Style"),
            undoCount: undoCount,
            restore: function() {
                _top.message = _top.database.restoreStyle(guid, name, preset)
                if (_top.message === "")
                    _top.showStyle(guid)
            }
        })
    }
    // A name taken by a built-in style asks for another; one of the user's
    // own asks whether to replace its settings.
    function saveStyle(name) {
        var trimmed = name.trim()
        if (trimmed === "") {
            message = qsTr("A style needs a name.")
            return
        }
        var existing = database.styleNamed(trimmed)
        if (existing !== "") {
            if (styleOf(existing).builtIn) {
                message = qsTr("\u201c%1\u201d is a built-in style; choose another name.").arg(trimmed)
                nameField.selectAll()
                nameField.forceActiveFocus()
                return
            }
            replacement.guid = existing
            replacement.confirm(qsTr("A style named \u201c%1\u201d exists already. Replace its settings with the current ones, or cancel and choose another name.").arg(trimmed),
                                qsTr("Replace"), qsTr("Keep Style"))
            return
        }
        message = database.saveStyle(trimmed, currentPresetText())
        if (message === "") {
            nameField.text = ""
            showStyle(database.styleNamed(trimmed))
        }
    }
    function updateStyle(guid) {
        message = database.updateStyle(guid, currentPresetText())
        if (message === "")
            showStyle(guid)
    }
    function renameStyle(guid, name) {
        var trimmed = name.trim()
        var existing = trimmed === "" ? "" : database.styleNamed(trimmed)
        if (existing !== "" && existing !== guid) {
            message = qsTr("A style named \u201c%1\u201d exists already; choose another name.").arg(trimmed)
            return false
        }
        message = database.renameStyle(guid, trimmed)
        if (message !== "")
            return false
        renamingGuid = ""
        showStyle(guid)
        return true
    }
    // The built-in style's settings as the user's own, under a free name
    // that is then there to be changed.
    function duplicateStyle(guid) {
        var base = qsTr("%1 (mine)").arg(styleOf(guid).name), name = base
        for (var n = 2; database.styleNamed(name) !== ""; ++n)
            name = base + " " + n
        message = database.saveStyle(name, database.presetOf(guid))
        if (message !== "")
            return
        var mine = database.styleNamed(name)
        showStyle(mine)
        renamingGuid = mine
    }

    Row {
        id: findRow
        anchors { left: parent.left; right: parent.right; top: parent.top; margins: TC.spacing }
        spacing: TC.spacing
        TextField {
            id: filterField
            objectName: "styleFilter"
            width: findRow.width - groupChoice.width - TC.spacing
            height: 28
            placeholderText: qsTr("Find a style")
            style: TextFieldStyle {
                textColor: TC.colorText
                placeholderTextColor: TC.colorTextDim
                background: Rectangle {
                    radius: TC.radius
                    color: TC.colorInput
                    border.color: control.activeFocus ? TC.colorAccent : TC.colorSeparator
                }
            }
            Keys.onEscapePressed: text = ""
        }
        TComboOption {
            id: groupChoice
            objectName: "styleGroup"
            labelWidth: 0
            spacing: 0
            choiceWidth: 120
            options: _top.groups.map(function(g) { return g.text })
            value: _top.groups[0].text
        }
    }
    GridView {
        id: grid
        objectName: "styleGrid"
        anchors { left: parent.left; right: parent.right; top: findRow.bottom; bottom: saveRow.top; margins: TC.spacing }
        clip: true
        cellWidth: width / 2
        cellHeight: cellWidth * 150 / 240 + 22
        model: _top.shownStyles
        onContentYChanged: _top.preferVisible()
        onHeightChanged: _top.preferVisible()
        currentIndex: -1
        highlightFollowsCurrentItem: false
        keyNavigationWraps: false
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
                visible: modelData.guid !== _top.renamingGuid
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
                        grid.currentIndex = index
                        _top.applyStyle(modelData.guid)
                    }
                }
            }
            // The name edited in place: Return renames, Escape or leaving
            // the field keeps the old name.
            Loader {
                active: modelData.guid === _top.renamingGuid
                anchors { left: parent.left; right: parent.right; top: thumb.bottom; leftMargin: 1; rightMargin: 3 }
                sourceComponent: TextField {
                    objectName: "renameField"
                    text: modelData.name
                    Component.onCompleted: {
                        selectAll()
                        forceActiveFocus()
                    }
                    onAccepted: _top.renameStyle(modelData.guid, text)
                    onActiveFocusChanged: if (!activeFocus && _top.renamingGuid === modelData.guid) _top.renamingGuid = ""
                    Keys.onEscapePressed: _top.renamingGuid = ""
                    style: TextFieldStyle {
                        textColor: TC.colorText
                        background: Rectangle {
                            implicitHeight: 20
                            color: TC.colorInput
                            border.color: TC.colorAccent
                        }
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
        readonly property bool mine: entry !== null && !entry.builtIn
        style: TMenuStyle {}
        MenuItem {
            text: qsTr("Rename...")
            visible: styleMenu.mine
            onTriggered: _top.renamingGuid = styleMenu.entry.guid
        }
        MenuItem {
            text: qsTr("Update with Current Settings")
            visible: styleMenu.mine
            onTriggered: _top.updateStyle(styleMenu.entry.guid)
        }
        MenuItem {
            text: qsTr("Export...")
            onTriggered: _top.exportStyle(styleMenu.entry.guid)
        }
        MenuItem {
            text: qsTr("Duplicate as My Style")
            visible: styleMenu.entry !== null && styleMenu.entry.builtIn
            onTriggered: _top.duplicateStyle(styleMenu.entry.guid)
        }
        MenuItem {
            text: qsTr("Delete...")
            visible: styleMenu.mine
            onTriggered: _top.askToDelete(styleMenu.entry)
        }
    }
    TMessageDialog {
        id: confirmation
        property string guid: ""
        onYes: _top.deleteStyle(guid)
    }
    TMessageDialog {
        id: replacement
        property string guid: ""
        onYes: {
            _top.updateStyle(guid)
            if (_top.message === "")
                nameField.text = ""
        }
        onCancel: {
            nameField.selectAll()
            nameField.forceActiveFocus()
        }
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
