import QtQuick 2.5
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC
import "ImageViewMath.js" as VM

// The live GPU preview of an effect. An effect whose previewerUid is this
// view's outputViewerUid shows its previews here. Wheel zooms about the
// cursor; dragging pans a picture larger than the view (always with
// panningEnabled or the middle button). Pickers and the mask brush lie over
// the view and take the mouse first. Sharp at 100 % and above, smooth when
// reduced.
Rectangle {
    id: _view
    color: TC.colorImageBG
    clip: true

    readonly property alias outputViewerUid: preview.viewerUid
    readonly property alias hasImage: preview.hasImage
    // The full-resolution size of the shown image.
    readonly property size imageSize: preview.imageSize
    property real zoom: 1
    property real minZoom: 0.02
    property real maxZoom: 8
    property real fitZoom: 1
    property bool panningEnabled: false
    // Some of the picture is outside the view.
    readonly property bool pannable: imageSize.width * zoom > width + 0.5 || imageSize.height * zoom > height + 0.5
    // While true the zoom follows fitZoom (the view or the image changed
    // size); any other zoom ends it.
    property bool followFit: false
    property real panX: 0
    property real panY: 0
    readonly property alias previewItem: preview
    // The reduction at which an effect's preview has about the pixels shown.
    readonly property int previewDecimation: Math.max(1, Math.min(8, Math.floor(1 / Math.max(zoom, 0.01))))
    // The part of the image an effect's preview needs, in full-resolution
    // pixels: what is shown and a margin, kept while a pan stays within it;
    // empty while all of the image is shown.
    readonly property rect previewRegion: _region ? Qt.rect(_region.x, _region.y, _region.width, _region.height)
                                                  : Qt.rect(0, 0, 0, 0)
    property var _region: null
    readonly property var _shown: VM.shownPart(imageSize.width, imageSize.height, zoom, panX, panY, width, height)
    on_ShownChanged: _region = VM.previewRegion(_region, _shown, imageSize.width, imageSize.height)

    // The zoom at which image (an image value, or anything with width and
    // height) fits the given area; bind fitZoom to it.
    function computeFitZoom(image, areaWidth, areaHeight) {
        return VM.fitZoom(image ? image.width : 0, image ? image.height : 0, areaWidth, areaHeight)
    }
    // Shows the whole image, and keeps it whole as the view changes.
    function fit() {
        zoom = fitZoom
        resetPannning()
        followFit = true
    }
    onFitZoomChanged: {
        if (followFit) {
            zoom = fitZoom
            resetPannning()
        }
    }
    function resetPannning() {
        panX = 0
        panY = 0
    }
    // Changes the zoom keeping the image point under (x, y) of the view in
    // place; the centre of the view when no point is given.
    function zoomAbout(newZoom, x, y) {
        newZoom = VM.clampZoom(newZoom, minZoom, maxZoom)
        followFit = false
        var cx = x === undefined ? 0 : x - width / 2
        var cy = y === undefined ? 0 : y - height / 2
        var px = VM.panForZoomAbout(panX, zoom, newZoom, cx)
        var py = VM.panForZoomAbout(panY, zoom, newZoom, cy)
        zoom = newZoom
        panBy(px - panX, py - panY)
    }
    function panBy(dx, dy) {
        panX = VM.clampPan(panX + dx, imageSize.width * zoom, width)
        panY = VM.clampPan(panY + dy, imageSize.height * zoom, height)
    }

    onZoomChanged: panBy(0, 0)
    onWidthChanged: panBy(0, 0)
    onHeightChanged: panBy(0, 0)

    TPreviewImage {
        id: preview
        width: Math.round(imageSize.width * _view.zoom)
        height: Math.round(imageSize.height * _view.zoom)
        x: Math.round((_view.width - width) / 2 + _view.panX)
        y: Math.round((_view.height - height) / 2 + _view.panY)
    }

    MouseArea {
        id: mouseArea
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.MiddleButton
        cursorShape: _view.panningEnabled || _view.pannable ? (pressed ? Qt.ClosedHandCursor : Qt.OpenHandCursor) : Qt.ArrowCursor
        property real lastX: 0
        property real lastY: 0
        property bool dragging: false

        onPressed: {
            dragging = _view.panningEnabled || _view.pannable || mouse.button === Qt.MiddleButton
            mouse.accepted = dragging
            lastX = mouse.x
            lastY = mouse.y
        }
        onPositionChanged: {
            if (!dragging)
                return
            _view.panBy(mouse.x - lastX, mouse.y - lastY)
            lastX = mouse.x
            lastY = mouse.y
        }
        onReleased: dragging = false
        onWheel: {
            var steps = wheel.angleDelta.y / 120
            if (steps !== 0)
                _view.zoomAbout(_view.zoom * Math.pow(1.25, steps), wheel.x, wheel.y)
        }
    }
}
