import QtQuick 2.5
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

    // Ctrl+Z steps the effect's parameters back, Ctrl+Shift+Z and Ctrl+Y
    // forward. Returns whether the key was used.
    function handleKeyPressedEvent(event) {
        if (!teffect || !(event.modifiers & Qt.ControlModifier))
            return false
        var redo = event.key === Qt.Key_Y || (event.key === Qt.Key_Z && (event.modifiers & Qt.ShiftModifier))
        if (redo && teffect.canRedo) {
            teffect.redo()
            teffect.procPreview()
        } else if (event.key === Qt.Key_Z && !redo && teffect.canUndo) {
            teffect.undo()
            teffect.procPreview()
        } else {
            return false
        }
        event.accepted = true
        return true
    }
    function handleKeyReleasedEvent(event) {
        return false
    }

    TImageExport {
        id: lrExport
        onSaved: _top.imageSavedToLr(true, "")
        onFailed: _top.imageSavedToLr(false, message)
    }
}
