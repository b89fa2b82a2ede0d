import QtQuick 2.5
import QtTest 1.1
import TControls 1.0
import TEImageIO 1.0
import TEStrovane 1.0
import TEHistoryRoll 1.0
import TPresets 1.0

// The painting module's panels as the main window hosts them over the
// shell: every control writes its key and asks for a preview, and the
// enabling rules hold at their boundaries.
Item {
    id: vmMain
    width: 1000
    height: 700
    property bool welcomeOver: false

    QtObject {
        id: mainSettings
        property bool showPainting: false
        property bool lowResolutionMode: false
        property bool startWithPresetPanel: false
        property bool showStartupWindow: false
    }
    TMessageDialog { id: tMessageDialog }
    // The shell's preview, standing in: the picture at a known place.
    QtObject {
        id: topLevelLoader
        property var item: QtObject {
            property string previewerUid: ""
            property var mainActions: null
            property var mainMenu: null
            property Item imageView: Item {
                parent: vmMain
                property real zoom: 0.5
                property int previewDecimation: 1
                property Item previewItem: Item { parent: vmMain; x: 100; y: 50; width: 400; height: 250 }
            }
        }
    }
    property var tDatabase: null
    TImageImport { id: photo; srcUrl: binFolder + "/Resources/styles/thumbnails/classic-oil.jpg" }
    SignalSpy { id: photoRead; target: photo; signalName: "outputChanged" }
    Loader {
        id: module
        anchors.fill: parent
        active: false
        source: "qrc:/TEStrovane/TModuleEntry.qml"
    }
    SignalSpy { id: busy; signalName: "isBusyChanged" }

    TestCase {
        name: "PaintingModule"
        when: windowShown

        function initTestCase() {
            photo.procOutput()
            photoRead.wait(20000)
            module.active = true
            verify(module.item !== null)
            module.item.input = photo.output
            busy.target = module.item.teffect
        }
        function effect() { return module.item.teffect }
        function control(key) {
            var c = findChild(module.item, key)
            verify(c !== null, key)
            return c
        }

        function test_slidersWriteTheirKeyAndAskForAPreview_data() {
            return ["stroke_brush_size", "stroke_paint_volume", "stroke_paint_opacity", "stroke_rotation",
                    "stroke_rotation_jitter", "stroke_color_jitter", "stroke_width", "stroke_length",
                    "stroke_abstraction", "stroke_smudgesize", "reveal_size", "stroke_lightness", "stroke_contrast",
                    "stroke_highlight", "stroke_shadow", "vignette_midpoint", "bg_canvas_texture_strength"]
                .map(function(k) { return { tag: k, key: k } })
        }
        function test_slidersWriteTheirKeyAndAskForAPreview(data) {
            var slider = control(data.key)
            compare(slider.label, effect().paramInfo(data.key).label)
            compare(slider.defaultValue, effect().defaultValue(data.key))
            var target = slider.minimumValue + 0.37 * (slider.maximumValue - slider.minimumValue)
            var undoBefore = effect().undoCount
            busy.clear()
            slider.change(target, true)
            fuzzyCompare(effect()[data.key], Math.round(target * 100) / 100, 1e-6)
            verify(busy.count > 0 || effect().isBusy, "a preview was asked for")
            compare(effect().undoCount, undoBefore + 1, "one undo point")
            slider.change(slider.maximumValue + 5, true)
            compare(effect()[data.key], slider.maximumValue, "kept to the range")
            slider.change(slider.defaultValue, true)
        }

        function test_enablingRules_data() {
            return [
                { tag: "volume 0.2", set: { stroke_paint_volume: 0.2, stroke_paint_opacity: 0.5 }, key: "stroke_balance", on: false },
                { tag: "volume 0.21", set: { stroke_paint_volume: 0.21, stroke_paint_opacity: 0.5 }, key: "stroke_balance", on: true },
                { tag: "opacity 0.2", set: { stroke_paint_volume: 0.5, stroke_paint_opacity: 0.2 }, key: "stroke_balance", on: false },
                { tag: "coverage 1", set: { reveal_size: 1 }, key: "reveal_spread", on: false },
                { tag: "coverage 0.99", set: { reveal_size: 0.99 }, key: "reveal_spread", on: true },
                { tag: "vignette 0 strength", set: { vignette_midpoint: 0 }, key: "vignette_amount", on: false },
                { tag: "vignette 0 transition", set: { vignette_midpoint: 0 }, key: "vignette_transition", on: false },
                { tag: "vignette 0 roundness", set: { vignette_midpoint: 0 }, key: "vignette_roundness", on: false },
                { tag: "vignette 0.01", set: { vignette_midpoint: 0.01 }, key: "vignette_roundness", on: true },
                { tag: "texture 0", set: { bg_canvas_texture_strength: 0 }, key: "bg_canvas_texture_scale", on: false },
                { tag: "texture 0.01", set: { bg_canvas_texture_strength: 0.01 }, key: "bg_canvas_texture_scale", on: true },
            ]
        }
        function test_enablingRules(data) {
            for (var k in data.set)
                effect()[k] = data.set[k]
            compare(control(data.key).enabled, data.on)
            compare(control(data.key).state, data.on ? "enabled" : "disabled")
        }

        function test_theTourWalksThroughEveryPart() {
            var tour = findChild(module.item, "tour")
            verify(tour !== null)
            tour.start()
            var names = []
            var panel = findChild(tour, "tourPanel")
            while (tour.visible) {
                names.push(tour.stepName)
                if (tour.stepName === "color")
                    verify(module.item.colorPanel.expanded && !module.item.strokePanel.expanded, "each step opens its panel")
                if (tour.stepName === "community0")
                    verify(module.item.showStyles)
                panel.next()
            }
            compare(names, ["effect", "params", "stroke", "color", "lighting", "texture", "masking", "blendMode",
                            "community0", "community1", "sortAlpha", "communityDropDown", "categoryDropDown",
                            "search", "community3", "community4", "thanks"])
            module.item.showStyles = false
        }

        function test_theMaskBrushIsOverThePreviewWhileTheEditingPanelIsActive() {
            var overlay = findChild(module.item, "previewOverlay")
            compare(overlay.owner, module.item.maskingPanel)
            module.item.showStyles = true
            compare(module.item.editingPanelActive, false)
            compare(overlay.item, null, "unloaded with the editing panel")
            module.item.showStyles = false
            compare(overlay.owner, module.item.maskingPanel, "and loaded again")
            verify(overlay.item !== null)
            compare(overlay.item.enabled, false, "the mouse pans the preview while the mask panel is closed")
        }

        function test_aPositionPickerPicksOnThePreviewAndGivesTheBrushBack() {
            effect().reveal_size = 0.5
            var picker = control("CoverageCenterPicker")
            var overlay = findChild(module.item, "previewOverlay")
            var undoBefore = effect().undoCount
            picker.startPicking()
            verify(picker.picking)
            compare(overlay.owner, picker)
            // A quarter across and three fifths down the picture.
            var p = overlay.mapFromItem(vmMain, 100 + 100, 50 + 150)
            mouseClick(overlay.item, p.x, p.y)
            fuzzyCompare(effect().reveal_center.x, 0.25, 0.01)
            fuzzyCompare(effect().reveal_center.y, 0.6, 0.01)
            compare(effect().undoCount, undoBefore + 1, "one undo step")
            verify(!picker.picking, "one pick")
            compare(overlay.owner, module.item.maskingPanel, "the mask brush is back")

            picker.startPicking()
            keyClick(Qt.Key_Escape)
            verify(!picker.picking, "Escape stops picking")
            verify(module.item !== null && module.item.visible, "and does not leave the module")
            picker.startPicking()
            effect().reveal_size = 1
            verify(!picker.picking, "a picker that is switched off stops")
        }

        function test_undoBringsAValueBack() {
            var slider = control("stroke_brush_size")
            slider.change(0.8, true)
            slider.change(0.3, true)
            keyClick(Qt.Key_Z, Qt.ControlModifier)
            fuzzyCompare(effect().stroke_brush_size, 0.8, 1e-6)
            fuzzyCompare(slider.value, 0.8, 1e-6, "the slider follows the effect")
            keyClick(Qt.Key_Z, Qt.ControlModifier | Qt.ShiftModifier)
            fuzzyCompare(effect().stroke_brush_size, 0.3, 1e-6, "and redo takes it forward again")
        }
    }
}
