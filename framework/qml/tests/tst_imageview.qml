import QtQuick 2.5
import QtTest 1.1
import TComponents 1.0
import TEImageIO 1.0
import TEStrovane 1.0

// The preview view showing a painting effect's preview, as the program
// shows it.
Item {
    id: root
    width: 700
    height: 450

    TEImageView {
        id: view
        anchors.fill: parent
    }
    TImageImport {
        id: importer
        srcUrl: probe.exampleUrl
    }
    TStrovane {
        id: effect
        previewerUid: view.outputViewerUid
        decimation: 4
        showPainting: false
        density_level: 0
    }
    SignalSpy { id: imported; target: importer; signalName: "outputChanged" }
    SignalSpy { id: finished; target: effect; signalName: "procFinished" }

    TestCase {
        name: "ImageView"
        when: windowShown

        function initTestCase() {
            importer.procOutput()
            imported.wait(20000)
            compare(importer.output.width, 2560)
            effect.input = importer.output
            finished.clear()
            effect.procPreview()
            finished.wait(120000)
            verify(view.hasImage, "the effect's preview reached the view")
        }

        function init() {
            view.panningEnabled = false
            view.zoom = 1
            view.resetPannning()
        }

        function test_sizeFitAndLimits() {
            compare(view.imageSize.width, 2560, "the full-resolution size, not the preview's")
            compare(view.imageSize.height, 1600)
            compare(view.previewItem.textureSize.width, 640)
            var fit = view.computeFitZoom(importer.output, view.width * 0.95, view.height * 0.95)
            fuzzyCompare(fit, Math.min(665 / 2560, 427.5 / 1600), 1e-9)
            view.zoom = fit
            verify(view.previewItem.width <= view.width && view.previewItem.height <= view.height)
            view.zoom = 1
            compare(view.previewItem.width, 2560, "100 %: one screen pixel per image pixel")
            view.zoomAbout(1000)
            compare(view.zoom, view.maxZoom)
            view.zoomAbout(0.00001)
            compare(view.zoom, view.minZoom)
        }

        function test_panning() {
            view.panBy(100000, -100000)
            compare(view.panX, (2560 - view.width) / 2, "the image edge stops at the view edge")
            compare(view.panY, -(1600 - view.height) / 2)
            compare(view.previewItem.x, 0)
            view.resetPannning()
            compare(view.previewItem.x, (view.width - 2560) / 2)

            view.zoom = view.computeFitZoom(importer.output, view.width, view.height)
            view.panBy(50, 50)
            compare(view.panX, 0, "a fitted image does not move")

            view.zoom = 1
            view.panningEnabled = true
            mouseDrag(view, 350, 225, 60, 40)
            compare(view.panX, 60)
            compare(view.panY, 40)
            view.panningEnabled = false
            mouseDrag(view, 350, 225, -60, -40)
            compare(view.panX, 0, "a picture larger than the view pans without the hand tool")
            compare(view.panY, 0)

            view.zoom = view.computeFitZoom(importer.output, view.width, view.height)
            mouseDrag(view, 350, 225, 60, 40)
            compare(view.panX, 0, "a picture that fits stays where it is")
        }

        function test_wheelZoomsAboutTheCursor() {
            view.zoom = 0.5
            var x = 200, y = 150
            var before = Qt.point((x - view.previewItem.x) / view.zoom, (y - view.previewItem.y) / view.zoom)
            mouseWheel(view, x, y, 0, 120)
            fuzzyCompare(view.zoom, 0.625, 1e-9)
            var after = Qt.point((x - view.previewItem.x) / view.zoom, (y - view.previewItem.y) / view.zoom)
            fuzzyCompare(after.x, before.x, 2)
            fuzzyCompare(after.y, before.y, 2)
        }

        function test_grabShowsTheEffectsPreview() {
            // A quarter of full size: the 640 x 400 preview texel for pixel.
            view.zoom = 0.25
            view.resetPannning()
            waitForRendering(view)
            var shot = grabImage(view)
            var points = [[0, 0], [-100, -60], [150, 90], [37, -121], [-250, 170]]
            var colours = {}
            for (var i = 0; i < points.length; ++i) {
                var sx = 350 + points[i][0], sy = 225 + points[i][1]
                var got = shot.pixel(sx, sy)
                var want = probe.previewPixel(view.outputViewerUid, 320 + points[i][0], 200 + points[i][1])
                var tolerance = 2 / 255
                verify(Math.abs(got.r - want.r) <= tolerance && Math.abs(got.g - want.g) <= tolerance
                       && Math.abs(got.b - want.b) <= tolerance,
                       "pixel " + sx + "," + sy + ": shown " + got + ", preview " + want)
                colours[String(got)] = true
            }
            verify(Object.keys(colours).length > 2, "a painting, not a flat colour")
        }
    }
}
