import QtQuick 2.5
import Qt.labs.settings 1.0

// The painting module's stored preferences.
Settings {
    category: "Preference"
    property url initialExampleImage
    property real gpuCache: 0.7
    property bool vmMainWindow_1stOpen: true
    property bool showWelcome: true
    property bool useExampleImage: true
    property bool showStartupWindow: true
    property bool resetMaskOnOpenNewImage: true
}
