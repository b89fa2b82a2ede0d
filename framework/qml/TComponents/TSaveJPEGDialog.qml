import QtQuick 2.5
import Qt.labs.settings 1.0

// Options of a JPEG file, remembered between saves.
TSaveDialogBase {
    id: dialog
    title: qsTr("JPEG Options")
    heading: qsTr("Save as JPEG")
    property string jpegQuality: "Maximum"
    property string jpegColorSpace: "sRGB"
    property string jpegFormatOption: "Optimized"

    Settings {
        category: "SaveJPEG"
        property alias jpegQuality: dialog.jpegQuality
        property alias jpegColorSpace: dialog.jpegColorSpace
        property alias jpegFormatOption: dialog.jpegFormatOption
    }

    TComboOption {
        label: qsTr("Quality")
        options: ["Low", "Medium", "High", "Very High", "Maximum"]
        value: dialog.jpegQuality
        onValueChanged: dialog.jpegQuality = value
    }
    TComboOption {
        label: qsTr("Format")
        options: ["Standard", "Optimized", "Progressive"]
        value: dialog.jpegFormatOption
        onValueChanged: dialog.jpegFormatOption = value
    }
    TComboOption {
        label: qsTr("Colour space")
        options: ["sRGB", "Adobe RGB"]
        value: dialog.jpegColorSpace
        onValueChanged: dialog.jpegColorSpace = value
    }
}
