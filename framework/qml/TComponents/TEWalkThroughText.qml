import QtQuick 2.5
import "qrc:/TBase/TmConfigure.js" as TC

// The explanation of a tour step.
Text {
    width: parent ? parent.width : 300
    wrapMode: Text.WordWrap
    color: TC.colorText
    font.pointSize: TC.fontSizeStd
    lineHeight: 1.15
}
