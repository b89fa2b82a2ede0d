import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Window 2.2
import VmAppDelegate 1.0

// The main window; the module shell and the painting module come with
// their own screens.
ApplicationWindow {
    id: vmMain
    title: tAppDelegate.getAppName() + " V" + tAppDelegate.getAppVersion()
    width: 1024
    height: 572
    visible: true
    color: "#3a3a3a"

    property real fontSizeStd: Math.round(11 * fontScale)
    property string fileName: ""

    Column {
        anchors.centerIn: parent
        spacing: 8
        Text {
            color: "#e0e0e0"
            font.pointSize: vmMain.fontSizeStd * 1.5
            text: {
                switch (tAppDelegate.editorMode) {
                case VmAppDelegate.ExternalEditor: return qsTr("External editor")
                case VmAppDelegate.PhotoshopPlugin: return qsTr("Photoshop plug-in")
                default: return qsTr("Standalone")
                }
            }
        }
        Text {
            color: "#c0c0c0"
            font.pointSize: vmMain.fontSizeStd
            text: tAppDelegate.fileName
        }
    }
}
