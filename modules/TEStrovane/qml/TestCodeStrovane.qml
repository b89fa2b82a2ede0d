import QtQuick 2.5
import QtQuick.Dialogs 1.2
import TControls 1.0
import TComponents 1.0
import TEImageIO 1.0
import TEStrovane 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// A bench for the painting effect alone, without the shell: open a photo,
// move a few sliders, watch the preview. For developers trying the module
// (qmlscene with the program's QML folder on the import path).
Rectangle {
    id: _top
    width: 960
    height: 600
    color: TC.colorPanel
    property url source

    onSourceChanged: {
        importer.srcUrl = source
        importer.procOutput()
    }

    TImageImport {
        id: importer
        onOutputChanged: {
            effect.input = output
            view.fitZoom = view.computeFitZoom(output, view.width * 0.95, view.height * 0.95)
            view.fit()
            effect.procPreview()
        }
    }
    TStrovane {
        id: effect
        previewerUid: view.outputViewerUid
        decimation: view.previewDecimation
        region: view.previewRegion
        onDecimationChanged: procPreview()
        onRegionChanged: procPreview()
    }
    TEImageView {
        id: view
        anchors { left: parent.left; top: parent.top; bottom: parent.bottom; right: controls.left }
    }
    Column {
        id: controls
        anchors { right: parent.right; top: parent.top; margins: TC.margin }
        width: 260
        spacing: TC.spacing
        TDialogButton {
            text: qsTr("Open...")
            onClicked: dialog.open()
        }
        PmSlider { effect: effect; key: "stroke_brush_size" }
        PmSlider { effect: effect; key: "stroke_paint_volume" }
        PmSlider { effect: effect; key: "stroke_color_jitter" }
        PmSlider { effect: effect; key: "bg_canvas_texture_strength" }
        TProgressBar { width: parent.width; busy: effect.isBusy }
    }
    FileDialog {
        id: dialog
        title: qsTr("Open an Image")
        nameFilters: ["Image files (*.jpg *.jpeg *.tif *.tiff *.png)"]
        onAccepted: _top.source = fileUrl
    }
}
