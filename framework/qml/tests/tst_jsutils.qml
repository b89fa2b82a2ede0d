import QtQuick 2.5
import QtTest 1.1
import "qrc:/TBase/Jsutils.js" as JS
import "qrc:/TComponents/ImageViewMath.js" as VM

TestCase {
    name: "Scripts"

    function test_fileNames_data() {
        return [
            { tag: "jpg", url: "file:///home/ana/Pictures/poppies.jpg", ext: "JPG", name: "poppies.jpg", base: "poppies" },
            { tag: "tiff upper", url: "file:///x/SCAN.TIFF", ext: "TIFF", name: "SCAN.TIFF", base: "SCAN" },
            { tag: "two dots", url: "file:///x/a.b.png", ext: "PNG", name: "a.b.png", base: "a.b" },
            { tag: "no extension", url: "file:///x/README", ext: "", name: "README", base: "README" },
            { tag: "hidden file", url: "/x/.profile", ext: "", name: ".profile", base: ".profile" },
            { tag: "dot in folder", url: "file:///x.y/photo", ext: "", name: "photo", base: "photo" },
            { tag: "escaped", url: "file:///x/my%20photo.jpeg", ext: "JPEG", name: "my photo.jpeg", base: "my photo" },
        ]
    }
    function test_fileNames(data) {
        compare(JS.getFileExt(data.url), data.ext)
        compare(JS.getFileName(data.url), data.name)
        compare(JS.getFileBaseName(data.url), data.base)
    }
    function test_helpers() {
        compare(JS.getFolder("file:///a/b/c.jpg"), "file:///a/b")
        compare(JS.replaceFileExt("file:///a/b/c.jpg", "png"), "file:///a/b/c.png")
        compare(JS.replaceFileExt("file:///a.d/b", "png"), "file:///a.d/b.png")
        verify(JS.isImageFile("x.Tif"))
        verify(!JS.isImageFile("x.gif"))
        compare(JS.clamp(5, 0, 3), 3)
        compare(JS.percentText(0.754), "75 %")
    }

    function test_fitZoom() {
        compare(VM.fitZoom(2000, 1000, 500, 500), 0.25)
        compare(VM.fitZoom(1000, 2000, 500, 500), 0.25)
        compare(VM.fitZoom(100, 50, 400, 400), 4, "small images are enlarged to fit")
        compare(VM.fitZoom(0, 0, 400, 400), 1, "no image")
    }
    function test_panLimits() {
        compare(VM.clampPan(500, 300, 400), 0, "smaller than the view: centred")
        compare(VM.clampPan(500, 1000, 400), 300, "edge meets edge")
        compare(VM.clampPan(-500, 1000, 400), -300)
        compare(VM.clampPan(120, 1000, 400), 120)
    }
    function test_zoomAboutKeepsThePointUnderTheCursor() {
        var pan = 40, zoom = 0.5, c = -130
        var before = VM.imagePoint(c, pan, zoom, 2000)
        var pan2 = VM.panForZoomAbout(pan, zoom, 2, c)
        fuzzyCompare(VM.imagePoint(c, pan2, 2, 2000), before, 1e-9)
        compare(VM.panForZoomAbout(pan, zoom, 2, pan), pan, "about the image centre: no pan change")
    }
    // A 2000 x 1000 image in an 800 x 600 view.
    function test_shownPart_data() {
        return [
            { tag: "fitted", zoom: 0.4, panX: 0, panY: 0, part: null },
            { tag: "100 %, centred", zoom: 1, panX: 0, panY: 0, part: { x: 600, y: 200, width: 800, height: 600 } },
            { tag: "100 %, at the left edge", zoom: 1, panX: 600, panY: 0, part: { x: 0, y: 200, width: 800, height: 600 } },
            { tag: "200 %, right bottom", zoom: 2, panX: -1600, panY: -700, part: { x: 1600, y: 700, width: 400, height: 300 } },
            { tag: "50 %: wider than the view only", zoom: 0.5, panX: 0, panY: 0, part: { x: 200, y: 0, width: 1600, height: 1000 } },
        ]
    }
    function test_shownPart(data) {
        compare(VM.shownPart(2000, 1000, data.zoom, data.panX, data.panY, 800, 600), data.part)
    }
    function test_previewRegion() {
        var shown = { x: 600, y: 200, width: 800, height: 600 }
        var region = VM.previewRegion(null, shown, 2000, 1000)
        compare(region, { x: 520, y: 140, width: 960, height: 720 }, "a tenth more each way")
        compare(VM.previewRegion(region, { x: 560, y: 150, width: 800, height: 600 }, 2000, 1000), region,
                "a small pan keeps it")
        compare(VM.previewRegion(region, { x: 1200, y: 400, width: 800, height: 600 }, 2000, 1000),
                { x: 1120, y: 340, width: 880, height: 660 }, "a pan out of it: a new one, within the image")
        compare(VM.previewRegion(region, null, 2000, 1000), null, "all shown")
    }
}
