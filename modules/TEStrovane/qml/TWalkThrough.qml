import QtQuick 2.5
import TComponents 1.0

// The guided tour of the painting module: one step per part of the screen,
// each opening the panel it explains.
Item {
    id: _top
    // The module entry whose parts the steps show.
    property var module
    property int step: 0
    readonly property string stepName: steps[step].name
    signal walkThroughFinish()
    anchors.fill: parent
    visible: false
    Shortcut {
        sequence: "Escape"
        enabled: _top.visible
        onActivated: _top.finish()
    }

    function start() {
        step = 0
        visible = true
        enter()
    }
    function finish() {
        panel.releaseFocus()
        visible = false
        walkThroughFinish()
    }
    function enter() {
        var s = steps[step]
        module.showStyles = s.styles === true
        var panels = [module.strokePanel, module.colorPanel, module.lightingPanel, module.texturePanel, module.maskingPanel]
        for (var i = 0; i < panels.length; ++i)
            panels[i].expanded = panels[i] === s.panel()
        panel.takeFocus()
    }

    readonly property var steps: [
        { name: "effect", panel: function() { return null }, target: function() { return module.previewArea },
          title: qsTr("Your painting"), text: qsTr("The preview paints your photograph as you change the settings. Zoom with the wheel; hold \\ or the Before button to see the photograph.") },
        { name: "params", panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("The settings"), text: qsTr("Every setting of the painting lives in these panels. Click a panel's title to open or fold it. Double-click a slider to put its default back.") },
        { name: "stroke", panel: function() { return module.strokePanel }, target: function() { return module.strokePanel },
          title: qsTr("Strokes"), text: qsTr("Choose a brush, how many strokes, their size, paint and direction. Coverage leaves parts of the canvas bare.") },
        { name: "color", panel: function() { return module.colorPanel }, target: function() { return module.colorPanel },
          title: qsTr("Colour"), text: qsTr("Shift hue, saturation and lightness of all colours, or of one colour range picked from the swatches.") },
        { name: "lighting", panel: function() { return module.lightingPanel }, target: function() { return module.lightingPanel },
          title: qsTr("Light"), text: qsTr("Brightness, contrast, highlights and shadows, where the light falls on the paint, and a vignette.") },
        { name: "texture", panel: function() { return module.texturePanel }, target: function() { return module.texturePanel },
          title: qsTr("Canvas"), text: qsTr("The surface under the paint: its texture, strength and size, and whether the ground is a solid colour or the photograph.") },
        { name: "masking", panel: function() { return module.maskingPanel }, target: function() { return module.maskingPanel },
          title: qsTr("Mask"), text: qsTr("Paint on the preview to keep the photograph where you want it, or to paint only there.") },
        { name: "blendMode", panel: function() { return null }, target: function() { return module.finishArea },
          title: qsTr("Apply"), text: qsTr("Apply (Ctrl+Return) paints the full picture and keeps it; Cancel (Esc) leaves it. Ctrl+Z and Ctrl+Shift+Z step through your changes.") },
        { name: "community0", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Styles"), text: qsTr("Ready-made looks a painter would name. A click puts a style's settings into the painting, as one step you can undo.") },
        { name: "community1", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Your own styles"), text: qsTr("Like what you made? Give it a name and keep it as a style of your own. A right click removes one of yours.") },
        { name: "sortAlpha", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Finding a style"), text: qsTr("The built-in styles come first, in the order of their families; your own follow by name.") },
        { name: "communityDropDown", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Sharing"), text: qsTr("Styles travel as preset files: export one, give it to a friend, and they import it into their styles.") },
        { name: "categoryDropDown", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Brushes"), text: qsTr("New brush sets come the same way: File > Import Brush Set adds one to the brushes.") },
        { name: "search", styles: true, panel: function() { return null }, target: function() { return module.settingsArea },
          title: qsTr("Starting points"), text: qsTr("A style is a starting point: apply one, then go back to Adjust and tune it to your picture.") },
        { name: "community3", panel: function() { return null }, target: function() { return module.previewArea },
          title: qsTr("Before and after"), text: qsTr("Compare often: hold \\ to see the photograph, let go to see the painting.") },
        { name: "community4", panel: function() { return null }, target: function() { return module.finishArea },
          title: qsTr("Saving"), text: qsTr("After Apply the save dialog asks where to keep the painting, as JPEG, TIFF or PNG.") },
        { name: "thanks", panel: function() { return null }, target: function() { return null },
          title: qsTr("Thank you"), text: qsTr("That is all. Enjoy painting! The tour is in the welcome screen whenever you want it again.") }
    ]

    TEWalkThroughPanel {
        id: panel
        objectName: "tourPanel"
        target: _top.visible ? _top.steps[_top.step].target() : null
        title: _top.steps[_top.step].title
        stepIndex: _top.step
        stepCount: _top.steps.length
        onNext: {
            if (_top.step + 1 < _top.steps.length) {
                ++_top.step
                _top.enter()
            } else {
                _top.finish()
            }
        }
        onClose: _top.finish()
        onRestart: _top.start()
        TEWalkThroughText { text: _top.steps[_top.step].text }
    }
}
