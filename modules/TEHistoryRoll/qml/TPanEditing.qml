import QtQuick 2.5
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The right-hand panel under the effect module's controls. Products with
// several effect modules list them here; this program has one, whose entry
// screen lays its controls over this panel, so only the tool bar shows.
Rectangle {
    property var actions
    // Called with a module's URL to load it.
    property var loadModuleUrl
    color: TC.colorPanel

    TToolBar {
        anchors { left: parent.left; right: parent.right; top: parent.top }
    }
}
