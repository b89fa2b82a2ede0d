import QtQuick 2.5
import Qt.labs.settings 1.0

// Options of a PNG file, remembered between saves. The compression keeps
// the name it has in the TIFF dialog.
TSaveDialogBase {
    id: dialog
    title: qsTr("PNG Options")
    heading: qsTr("Save as PNG")
    property string tiffCompression: "Normal"
    property int pngBitDepth: 8
    property string pngColorSpace: "sRGB"
    property bool pngInterlace: false

    Settings {
        category: "SavePNG"
        property alias pngCompression: dialog.tiffCompression
        property alias pngBitDepth: dialog.pngBitDepth
        property alias pngColorSpace: dialog.pngColorSpace
        property alias pngInterlace: dialog.pngInterlace
    }

    TComboOption {
        label: qsTr("Compression")
        options: ["None", "Fast", "Normal", "Best"]
        value: dialog.tiffCompression
        onValueChanged: dialog.tiffCompression = value
    }
    TComboOption {
        label: qsTr("Bit depth")
        options: ["8 bit", "16 bit"]
        value: dialog.pngBitDepth + " bit"
        onValueChanged: dialog.pngBitDepth = parseInt(value)
    }
    TComboOption {
        label: qsTr("Colour space")
        options: ["sRGB", "Adobe RGB"]
        value: dialog.pngColorSpace
        onValueChanged: dialog.pngColorSpace = value
    }
    TCheckOption {
        text: qsTr("Interlaced (Adam7)")
        checked: dialog.pngInterlace
        onClicked: dialog.pngInterlace = checked
    }
}
