.pragma library
// The arithmetic of the image view. A zoom is screen pixels per image
// pixel; a pan is the offset of the image's centre from the view's centre,
// in screen pixels.

// The largest zoom at which the whole image fits the area (1 when there
// is no image).
function fitZoom(imageWidth, imageHeight, areaWidth, areaHeight) {
    if (imageWidth <= 0 || imageHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return 1
    return Math.min(areaWidth / imageWidth, areaHeight / imageHeight)
}

function clampZoom(zoom, minZoom, maxZoom) {
    return Math.max(minZoom, Math.min(maxZoom, zoom))
}

// Along one axis: an image smaller than the view stays centred; a larger
// one may move until its edge meets the view's edge, no further.
function clampPan(pan, imageExtent, viewExtent) {
    var slack = (imageExtent - viewExtent) / 2
    if (slack <= 0)
        return 0
    return Math.max(-slack, Math.min(slack, pan))
}

// The pan that keeps the image point under (cx, cy) in place when the zoom
// changes; cx, cy are relative to the view's centre.
function panForZoomAbout(pan, zoom, newZoom, c) {
    return c - (c - pan) * newZoom / zoom
}

// The image pixel under a view point (relative to the view's centre).
function imagePoint(c, pan, zoom, imageExtent) {
    return (c - pan) / zoom + imageExtent / 2
}

// The part of an image that a view of viewWidth x viewHeight shows at this
// zoom and pan, in whole image pixels: {x, y, width, height}; null when the
// view shows all of it (or nothing). The image is drawn as the view draws
// it: rounded to whole screen pixels, centred, moved by the pan.
function shownPart(imageWidth, imageHeight, zoom, panX, panY, viewWidth, viewHeight) {
    var drawnWidth = Math.round(imageWidth * zoom), drawnHeight = Math.round(imageHeight * zoom)
    if (imageWidth <= 0 || imageHeight <= 0 || drawnWidth <= 0 || drawnHeight <= 0)
        return null
    var x = Math.round((viewWidth - drawnWidth) / 2 + panX), y = Math.round((viewHeight - drawnHeight) / 2 + panY)
    var sx = imageWidth / drawnWidth, sy = imageHeight / drawnHeight
    var left = Math.max(0, Math.floor(-x * sx)), top = Math.max(0, Math.floor(-y * sy))
    var right = Math.min(imageWidth, Math.ceil((viewWidth - x) * sx))
    var bottom = Math.min(imageHeight, Math.ceil((viewHeight - y) * sy))
    if (right <= left || bottom <= top || (left === 0 && top === 0 && right === imageWidth && bottom === imageHeight))
        return null
    return { x: left, y: top, width: right - left, height: bottom - top }
}

// The part of the image a preview is made for, given the one it is made
// for now (null: all) and the part shown (null: all): kept while it holds
// what is shown, so that a small pan paints nothing again; else what is
// shown with a margin of a tenth of its size each way, within the image.
function previewRegion(current, shown, imageWidth, imageHeight) {
    if (!shown)
        return null
    if (current && current.x <= shown.x && current.y <= shown.y && current.x + current.width >= shown.x + shown.width
            && current.y + current.height >= shown.y + shown.height)
        return current
    var mx = Math.ceil(shown.width / 10), my = Math.ceil(shown.height / 10)
    var left = Math.max(0, shown.x - mx), top = Math.max(0, shown.y - my)
    var right = Math.min(imageWidth, shown.x + shown.width + mx)
    var bottom = Math.min(imageHeight, shown.y + shown.height + my)
    return { x: left, y: top, width: right - left, height: bottom - top }
}
