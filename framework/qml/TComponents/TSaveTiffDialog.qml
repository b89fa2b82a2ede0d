import QtQuick 2.5
import Qt.labs.settings 1.0

// Options of a TIFF file, remembered between saves.
TSaveDialogBase {
    id: dialog
    title: qsTr("TIFF Options")
    heading: qsTr("Save as TIFF")
    property string tiffCompression: "LZW"
    property int tiffBitDepth: 16
    property string tiffColorSpace: "sRGB"
    property bool tiffSaveAlpha: false

    Settings {
        category: "SaveTIFF"
        property alias tiffCompression: dialog.tiffCompression
        property alias tiffBitDepth: dialog.tiffBitDepth
        property alias tiffColorSpace: dialog.tiffColorSpace
        property alias tiffSaveAlpha: dialog.tiffSaveAlpha
    }

    TComboOption {
        label: qsTr("Compression")
        options: ["None", "LZW", "ZIP"]
        value: dialog.tiffCompression
        onValueChanged: dialog.tiffCompression = value
    }
    TComboOption {
        label: qsTr("Bit depth")
        options: ["8 bit", "16 bit"]
        value: dialog.tiffBitDepth + " bit"
        onValueChanged: dialog.tiffBitDepth = parseInt(value)
    }
    TComboOption {
        label: qsTr("Colour space")
        options: ["sRGB", "Adobe RGB"]
        value: dialog.tiffColorSpace
        onValueChanged: dialog.tiffColorSpace = value
    }
    TCheckOption {
        text: qsTr("Save an alpha channel")
        checked: dialog.tiffSaveAlpha
        onClicked: dialog.tiffSaveAlpha = checked
    }
}
