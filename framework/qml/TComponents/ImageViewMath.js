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
