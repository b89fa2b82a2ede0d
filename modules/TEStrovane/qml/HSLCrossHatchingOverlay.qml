import QtQuick 2.5
import TEStrovane 1.0

// Marks, over the preview, the pixels of the colour range under the mouse
// in the colour panel.
THueRangeMarks {
    // Set by the module entry that loads it.
    property var module
    image: module ? module.input : undefined
    range: module ? module.hoveredHSLColor : ""
    color: "#d0ffffff"
}
