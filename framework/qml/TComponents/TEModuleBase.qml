import QtQuick 2.5
import QtQuick.Controls 1.4
import TBase 1.0
import TEImageIO 1.0

// What every effect module's entry offers the main window: its input and
// output images, its effect object, its menu and settings, the signal that
// hands control back, the write-back of the external editor, and the key
// handling. Modules derive from it and set teffect.
Item {
    id: _top
    property var input
    property var output: teffect ? teffect.output : undefined
    property var teffect: null
    property var mainMenu: null
    property var settings: null
    property real maxScale: 1.0
    property bool debug: false
    property bool editingPanelActive: true
    property alias actions: _actions
    // What the module's settings are called in the Edit menu.
    property string settingsTitle: qsTr("Settings")
    // What the user took away that Ctrl+Z brings back (a deleted style),
    // the latest last: {title, undoCount (the effect's when it went),
    // restore()}. Settings changed since are stepped back first.
    property var takenAway: []
    readonly property var _nextTakenAway: takenAway.length > 0 && teffect
                                          && teffect.undoCount <= takenAway[takenAway.length - 1].undoCount
                                          ? takenAway[takenAway.length - 1] : null
    property alias actUndoSettings: _undoSettings
    property alias actRedoSettings: _redoSettings
    // The module shows a result the shell's history does not hold yet:
    // saving applies it first.
    property bool resultPending: false
    // isApplied: the user applied the effect (true) or left it (false).
    signal finished(bool isApplied)
    // The external editor's write-back ended; message says why it failed.
    signal imageSavedToLr(bool success, string message)

    // Unsaved work: the effect's undo position differs from the one at the
    // last save.
    QtObject {
        id: _actions
        property int numUndosAtLastSave: 1
        function shouldShowExitWarning() {
            return _top.teffect !== null && _top.teffect.undoCount !== numUndosAtLastSave
        }
        function updateNumUndosAtLastSave() {
            numUndosAtLastSave = _top.teffect ? _top.teffect.undoCount : 1
        }
    }

    // Writes the module's output over the caller's file, keeping its format
    // and metadata (external editor).
    function saveImageToLr(fileName) {
        var url = TUtils.stringToUrl(fileName.toString())
        lrExport.destUrl = url
        lrExport.sourceUrl = url
        lrExport.input = _top.output
        lrExport.procOutput()
    }

    // Hands the module's result back (finished(true)); modules that make
    // their result first do so before.
    function apply() {
        finished(true)
    }

    // Ctrl+Z steps the effect's parameters back (or brings back what was
    // taken away), Ctrl+Shift+Z and Ctrl+Y forward (the actions' shortcuts
    // take them first). Returns whether the key was used.
    function handleKeyPressedEvent(event) {
        if (!teffect || !(event.modifiers & Qt.ControlModifier))
            return false
        var redo = event.key === Qt.Key_Y || (event.key === Qt.Key_Z && (event.modifiers & Qt.ShiftModifier))
        var action = redo ? _redoSettings : event.key === Qt.Key_Z ? _undoSettings : null
        if (!action || !action.enabled)
            return false
        action.trigger()
        event.accepted = true
        return true
    }
    function handleKeyReleasedEvent(event) {
        return false
    }

    Action {
        id: _undoSettings
        text: qsTr("Undo %1").arg(_top._nextTakenAway ? _top._nextTakenAway.title : _top.settingsTitle)
        shortcut: StandardKey.Undo
        enabled: _top._nextTakenAway !== null || (_top.teffect !== null && _top.teffect.canUndo)
        onTriggered: {
            if (_top._nextTakenAway) {
                var list = _top.takenAway.slice()
                list.pop().restore()
                _top.takenAway = list
                return
            }
            _top.teffect.undo()
            _top.teffect.procPreview()
        }
    }
    Action {
        id: _redoSettings
        text: qsTr("Redo %1").arg(_top.settingsTitle)
        shortcut: "Ctrl+Shift+Z"
        enabled: _top.teffect !== null && _top.teffect.canRedo
        onTriggered: {
            _top.teffect.redo()
            _top.teffect.procPreview()
        }
    }
    Shortcut {
        sequence: "Ctrl+Y"
        enabled: _redoSettings.enabled
        onActivated: _redoSettings.trigger()
    }

    TImageExport {
        id: lrExport
        onSaved: _top.imageSavedToLr(true, "")
        onFailed: _top.imageSavedToLr(false, message)
    }
}
