import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Window 2.2
import TControls 1.0
import TComponents 1.0
import TEStrovane 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The painting module over the shell: the painting effect on the shell's
// current image, painting into the shell's preview, with its panel on the
// right. Apply paints the full-resolution result and hands it back.
TEModuleBase {
    id: _top
    anchors.fill: parent
    teffect: teffect
    settings: TMainPreference {}
    maxScale: 1.0
    mainMenu: topLevelLoader.item ? topLevelLoader.item.mainMenu : null
    property bool applying: false
    // The rules compare the float parameters as the user set them: 0.2 is
    // not above 0.2, whatever its float holds.
    function above(value, limit) { return value - limit > 1e-6 }
    property bool showStyles: mainSettings.startWithPresetPanel
    property alias strokePanel: strokePanel
    property alias colorPanel: colorPanel
    property alias lightingPanel: lightingPanel
    property alias texturePanel: texturePanel
    property alias maskingPanel: maskingPanel
    readonly property string stroke_type: teffect.stroke_type
    readonly property string canvas_type: teffect.canvas_type
    readonly property real imageAspect: input && input.height > 0 ? input.width / input.height : 1.5

    // Before and after: the photograph in the preview while the Before
    // button or backslash is held, the painting again when let go.
    readonly property bool showingBefore: beforeButton.pressed || beforeKey.held
    onShowingBeforeChanged: {
        if (!topLevelLoader.item)
            return
        if (showingBefore)
            topLevelLoader.item.mainActions.imHistory.procPreview()
        else
            teffect.procPreview()
    }
    TKeyHold {
        id: beforeKey
        key: Qt.Key_Backslash
        enabled: !_top.applying
    }

    // The Help menu's ways back to the welcome and the tour.
    function showWelcome() {
        tour.finish()
        startup.show()
    }
    function startTour() {
        startup.hide()
        tour.start()
    }

    function setAndPreview(key, value) {
        teffect[key] = value
        teffect.procPreview()
    }
    // One change that is its own undo step (a choice, not a drag).
    function setAndKeep(key, value) {
        setAndPreview(key, value)
        teffect.setUndoPoint()
    }
    property alias hoveredHSLColor: hslControl.hoveredColor
    property string staticOverlaySource: "HSLCrossHatchingOverlay.qml"
    // The preview is painted at about the resolution it is shown at.
    readonly property var view: topLevelLoader.item ? topLevelLoader.item.imageView : null
    readonly property int previewDecimation: view ? view.previewDecimation : 1
    readonly property rect previewRegion: view ? view.previewRegion : Qt.rect(0, 0, 0, 0)
    // A preview has come back since the module started.
    property bool previewAnswered: false

    function apply() {
        if (!input || input.empty || applying)
            return
        applying = true
        teffect.decimation = 1
        teffect.procOutput()
    }
    settingsTitle: qsTr("Painting Settings")
    // The picture the last Apply made, and the settings it was made with:
    // while both still hold, the shell's history has what the user sees.
    property real appliedUid: 0
    property int appliedUndoCount: 0
    resultPending: input !== undefined && input !== null && !input.empty
                   && !(input.uid === appliedUid && teffect.undoCount === appliedUndoCount)

    // Return and Escape finish the module unless a value is being typed (its
    // field takes them), a picker picks (Escape stops it) or an overlay
    // screen is up.
    readonly property bool typing: Window.activeFocusItem !== null && Window.activeFocusItem.acceptableInput !== undefined
    readonly property bool finishKeys: !applying && !typing && !startup.visible && !tour.visible && !vmMain.overlayShown
    Shortcut {
        sequence: "Ctrl+Return"
        onActivated: _top.apply()
    }
    Shortcut {
        sequence: "Return"
        enabled: _top.finishKeys && !previewOverlay.passing
        onActivated: _top.apply()
    }
    Shortcut {
        sequence: "Enter"
        enabled: _top.finishKeys && !previewOverlay.passing
        onActivated: _top.apply()
    }
    Shortcut {
        sequence: "Escape"
        enabled: _top.finishKeys
        onActivated: {
            if (previewOverlay.passing)
                previewOverlay.owner.finishPicking(false)
            else
                _top.finished(false)
        }
    }

    // With the styles shown, the arrow keys move through them (Return then
    // applies the painting in the style chosen).
    Repeater {
        model: ["Left", "Right", "Up", "Down"]
        Item {
            Shortcut {
                sequence: modelData
                enabled: _top.showStyles && _top.finishKeys
                onActivated: stylePanel.moveChoice(modelData)
            }
        }
    }

    TStrovane {
        id: teffect
        input: _top.input ? _top.input : teffect.input
        showPainting: mainSettings.showPainting
        lowResolutionMode: mainSettings.lowResolutionMode
        previewerUid: topLevelLoader.item ? topLevelLoader.item.previewerUid : ""
        decimation: _top.previewDecimation
        region: _top.previewRegion
        // Every picture that arrives is painted, however it came; a picture
        // and its zoom arrive together, and are painted once. So is a part
        // of it panned into view.
        onDecimationChanged: if (!_top.applying) Qt.callLater(procPreview)
        onRegionChanged: if (!_top.applying) Qt.callLater(procPreview)
        onInputChanged: Qt.callLater(procPreview)
        Component.onCompleted: Qt.callLater(procPreview)
        onReadyToQuit: {
            console.log("TStrovane readyToQuit received - will call Qt.quit()")
            Qt.quit()
        }
        onProcFinished: {
            if (mode === "PREVIEW")
                _top.previewAnswered = true
            if (mode !== "OUTPUT" || !_top.applying)
                return
            _top.applying = false
            teffect.decimation = Qt.binding(function() { return _top.previewDecimation })
            if (error === "") {
                _top.appliedUid = teffect.output.uid
                _top.appliedUndoCount = teffect.undoCount
                _top.finished(true)
            } else
                tMessageDialog.show(qsTr("The painting could not be made.") + "\n\n" + error, qsTr("Could Not Paint"))
        }
    }

    onInputChanged: {
        if (!input)
            return
        console.log("input changed inside module", input.width, input.height, input.uid)
        // A mask belongs to the picture it was painted on; the painting
        // Apply made of that picture keeps it.
        if (input.width > 0 && input.uid !== appliedUid && settings.resetMaskOnOpenNewImage) {
            maskingPanel.expanded = false
            teffect.maskType = 0
        }
    }

    // The pixels of the colour range under the mouse, marked on the preview.
    Loader {
        id: hslOverlay
        active: _top.hoveredHSLColor !== "" && _top.view !== null
        source: _top.staticOverlaySource
        z: 5
        onLoaded: item.module = _top
        // Over the picture as the preview shows it, wherever it is panned.
        readonly property var picture: _top.view ? _top.view.previewItem : null
        readonly property rect place: {
            if (!picture)
                return Qt.rect(0, 0, 0, 0)
            void (picture.x + picture.y + picture.width + picture.height + _top.width + _top.height)
            return picture.mapToItem(_top, 0, 0, picture.width, picture.height)
        }
        x: place.x
        y: place.y
        width: place.width
        height: place.height
        clip: true
    }

    // Over the preview: the mask brush while the editing panel is active, a
    // position picker while it picks.
    TEPreviewOverlayLoader {
        id: previewOverlay
        objectName: "previewOverlay"
        anchors { left: parent.left; right: panel.left; top: parent.top; bottom: parent.bottom }
        z: 6
        view: _top.view
    }
    // The editing panel is the Adjust tab; the styles need no brush.
    editingPanelActive: !showStyles
    onEditingPanelActiveChanged: {
        console.log("_top::onEditingPanelActiveChanged:", editingPanelActive)
        if (editingPanelActive)
            maskingPanel.loadOverlay()
        else
            maskingPanel.unloadOverlay()
    }
    Component.onCompleted: if (editingPanelActive) maskingPanel.loadOverlay()

    // The parts of the screen the tour shows.
    readonly property Item previewArea: previewOverlay
    readonly property Item settingsArea: panelBody
    readonly property Item finishArea: footer

    Rectangle {
        id: panel
        anchors { right: parent.right; top: parent.top; bottom: parent.bottom }
        width: TC.widthRightPan
        color: TC.colorPanel

        TToolBar {
            id: header
            anchors { left: parent.left; right: parent.right; top: parent.top }
            PmSegments {
                objectName: "panelTabs"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - beforeButton.width - 3 * TC.spacing
                texts: [qsTr("Adjust"), qsTr("Styles")]
                index: _top.showStyles ? 1 : 0
                onActivated: _top.showStyles = index === 1
            }
            TDialogButton {
                id: beforeButton
                objectName: "beforeButton"
                anchors { right: parent.right; verticalCenter: parent.verticalCenter }
                implicitWidth: 64
                implicitHeight: 24
                text: qsTr("Before")
                tooltip: qsTr("Show the photograph while pressed (or hold \\)")
                isDefault: _top.showingBefore
            }
        }
        Item {
            id: panelBody
            anchors { left: parent.left; right: parent.right; top: header.bottom; bottom: footer.top }
        }
        ScrollView {
            id: adjust
            visible: !_top.showStyles
            anchors { left: parent.left; right: parent.right; top: header.bottom; bottom: footer.top }
            anchors.bottomMargin: 4
            horizontalScrollBarPolicy: Qt.ScrollBarAlwaysOff
            style: TScrollViewStyle {}
            Column {
                width: adjust.viewport.width
                spacing: 1

                TParamPanel {
                    id: strokePanel
                    title: qsTr("STROKE")
                    expanded: true
                    TextureBrowser {
                        id: brushBrowser
                        objectName: "brushBrowser"
                        kind: "brushsets"
                        label: teffect.paramInfo("stroke_type").label
                        currentGuid: _top.stroke_type
                        onPicked: _top.setAndKeep("stroke_type", guid)
                    }
                    PmTriToggleButtonStd {
                        label: teffect.paramInfo("density_level").label
                        texts: [qsTr("Few"), qsTr("Some"), qsTr("Many")]
                        value: teffect.density_level
                        onUpdate: {
                            console.log("tritoggleBUtton onUpdateValue", value)
                            teffect.density_level = value
                            teffect.procPreview()
                        }
                        onUndoPoint: {
                            console.log("tritoggleBUtton setUndoPoint")
                            teffect.setUndoPoint()
                        }
                    }
                    PmSlider { effect: teffect; key: "stroke_brush_size"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_paint_volume"; objectName: key }
                    PmSlider {
                        effect: teffect; key: "stroke_balance"; objectName: key
                        enabled: _top.above(teffect.stroke_paint_volume, 0.2) && _top.above(teffect.stroke_paint_opacity, 0.2)
                    }
                    PmSlider { effect: teffect; key: "stroke_paint_opacity"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_rotation"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_rotation_jitter"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_color_jitter"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_width"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_length"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_abstraction"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_smudgesize"; objectName: key }
                    PmSlider { effect: teffect; key: "reveal_size"; objectName: key }
                    PmSlider {
                        effect: teffect; key: "reveal_spread"; objectName: key
                        enabled: Math.abs(teffect.reveal_size - 1) > 1e-6
                    }
                    PmPositionPicker {
                        id: coverageCenterPicker
                        objectName: "CoverageCenterPicker"
                        overlayLoader: previewOverlay
                        label: teffect.paramInfo("reveal_center").label
                        aspect: _top.imageAspect
                        position: teffect.reveal_center
                        enabled: Math.abs(teffect.reveal_size - 1) > 1e-6
                        onUpdate: _top.setAndPreview("reveal_center", position)
                        onUndoPoint: teffect.setUndoPoint()
                    }
                }
                TParamPanel {
                    id: colorPanel
                    title: qsTr("COLOR")
                    expanded: false
                    PmHSLCtrlTE { id: hslControl; effect: teffect }
                }
                TParamPanel {
                    id: lightingPanel
                    title: qsTr("LIGHTING")
                    expanded: false
                    PmSlider { effect: teffect; key: "stroke_lightness"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_contrast"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_highlight"; objectName: key }
                    PmSlider { effect: teffect; key: "stroke_shadow"; objectName: key }
                    PmDirectionPicker {
                        objectName: "LightPositionPicker"
                        label: teffect.paramInfo("bg_canvas_texture_dir").label
                        direction: teffect.bg_canvas_texture_dir
                        onUpdate: _top.setAndPreview("bg_canvas_texture_dir", direction)
                        onUndoPoint: teffect.setUndoPoint()
                    }
                    PmSlider { effect: teffect; key: "vignette_midpoint"; objectName: key }
                    PmSlider {
                        effect: teffect; key: "vignette_amount"; objectName: key
                        enabled: _top.above(teffect.vignette_midpoint, 0)
                    }
                    PmSlider {
                        effect: teffect; key: "vignette_transition"; objectName: key
                        enabled: _top.above(teffect.vignette_midpoint, 0)
                    }
                    PmSlider {
                        effect: teffect; key: "vignette_roundness"; objectName: key
                        enabled: _top.above(teffect.vignette_midpoint, 0)
                    }
                    PmColorPicker {
                        objectName: "vignette_color"
                        label: teffect.paramInfo("vignette_color").label
                        color: teffect.vignette_color
                        enabled: _top.above(teffect.vignette_midpoint, 0)
                        onUpdate: _top.setAndKeep("vignette_color", color)
                    }
                    PmPositionPicker {
                        objectName: "VignetteCenterPicker"
                        overlayLoader: previewOverlay
                        label: teffect.paramInfo("vignette_center").label
                        aspect: _top.imageAspect
                        position: teffect.vignette_center
                        visible: _top.above(teffect.vignette_midpoint, 0)
                        onUpdate: _top.setAndPreview("vignette_center", position)
                        onUndoPoint: teffect.setUndoPoint()
                    }
                }
                TParamPanel {
                    id: texturePanel
                    title: qsTr("TEXTURE")
                    expanded: false
                    PmSlider { effect: teffect; key: "bg_canvas_texture_strength"; objectName: key }
                    PmSlider {
                        effect: teffect; key: "bg_canvas_texture_scale"; objectName: key
                        enabled: _top.above(teffect.bg_canvas_texture_strength, 0)
                    }
                    TextureBrowser {
                        id: canvasBrowser
                        objectName: "canvasBrowser"
                        kind: "canvases"
                        label: teffect.paramInfo("canvas_type").label
                        currentGuid: _top.canvas_type
                        columns: 4
                        onPicked: _top.setAndKeep("canvas_type", guid)
                    }
                    PmToggleButtonStd {
                        objectName: "bg_type"
                        label: teffect.paramInfo("bg_type").label
                        leftText: qsTr("Solid")
                        rightText: qsTr("Original")
                        checked: teffect.bg_type
                        onUpdate: {
                            teffect.bg_type = checked
                            teffect.procPreview()
                        }
                        onUndoPoint: teffect.setUndoPoint()
                    }
                    PmColorPicker {
                        objectName: "bg_canvas_texture_color"
                        label: teffect.paramInfo("bg_canvas_texture_color").label
                        color: teffect.bg_canvas_texture_color
                        enabled: !teffect.bg_type
                        onUpdate: _top.setAndKeep("bg_canvas_texture_color", color)
                    }
                }
                TEModuleMaskingPanel {
                    id: maskingPanel
                    effect: teffect
                    overlayLoader: previewOverlay
                }
            }
        }
        TStyleThumbnails {
            id: styleThumbnails
            picture: teffect.input
            // The user's painting first: at the start the thumbnails' own
            // set-up (their shaders) held the first painting back.
            paused: teffect.isBusy || !_top.previewAnswered
        }
        TStylePanel {
            id: stylePanel
            visible: _top.showStyles
            anchors { left: parent.left; right: parent.right; top: header.bottom; bottom: footer.top }
            effect: teffect
            database: tDatabase
            thumbnails: styleThumbnails
            onDeleted: _top.takenAway = _top.takenAway.concat([restorable])
        }
        Rectangle {
            id: footer
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: 48
            color: TC.colorPanelDark
            Row {
                anchors { right: parent.right; rightMargin: TC.margin; verticalCenter: parent.verticalCenter }
                spacing: TC.spacing
                TDialogButton {
                    objectName: "cancelButton"
                    text: qsTr("Cancel")
                    tooltip: qsTr("Leave without applying (Esc)")
                    enabled: !_top.applying
                    onClicked: _top.finished(false)
                }
                TDialogButton {
                    objectName: "applyButton"
                    text: _top.applying ? qsTr("Painting...") : qsTr("Apply")
                    tooltip: qsTr("Paint the full picture and keep it (Return)")
                    isDefault: true
                    enabled: !_top.applying && _top.input !== undefined && !_top.input.empty
                    onClicked: _top.apply()
                }
            }
        }
        TProgressBar {
            anchors { left: parent.left; right: parent.right; bottom: footer.top }
            busy: teffect.isBusy
        }
    }

    TStartup {
        id: startup
        showAtStartup: mainSettings.showStartupWindow
        onShowAtStartupChanged: mainSettings.showStartupWindow = showAtStartup
        onWalkThrough: tour.start()
        // It takes over from the program's welcome, unless that one is over.
        Component.onCompleted: if (mainSettings.showStartupWindow && !vmMain.welcomeOver) show()
    }
    TWalkThrough {
        id: tour
        objectName: "tour"
        module: _top
    }
}
