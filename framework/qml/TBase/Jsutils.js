.pragma library
// Small helpers for file names and numbers in the QML documents.

// The part of a URL or path after its folder.
function getFileName(url) {
    var s = String(url)
    var q = s.search(/[?#]/)
    if (q >= 0)
        s = s.substring(0, q)
    return decodeURIComponent(s.substring(s.lastIndexOf("/") + 1))
}

// The extension in capitals ("JPG" for "file:///a/b.jpg"), empty when none.
function getFileExt(url) {
    var name = getFileName(url)
    var dot = name.lastIndexOf(".")
    return dot <= 0 ? "" : name.substring(dot + 1).toUpperCase()
}

// The file name without its extension.
function getFileBaseName(url) {
    var name = getFileName(url)
    var dot = name.lastIndexOf(".")
    return dot <= 0 ? name : name.substring(0, dot)
}

// The URL of the folder, without a trailing slash.
function getFolder(url) {
    var s = String(url)
    return s.substring(0, s.lastIndexOf("/"))
}

// A URL whose extension is replaced (or added).
function replaceFileExt(url, ext) {
    var s = String(url)
    var slash = s.lastIndexOf("/")
    var dot = s.lastIndexOf(".")
    return (dot > slash ? s.substring(0, dot) : s) + "." + ext
}

function isImageFile(url) {
    return ["JPG", "JPEG", "TIF", "TIFF", "PNG"].indexOf(getFileExt(url)) >= 0
}

function clamp(v, lo, hi) {
    return Math.max(lo, Math.min(hi, v))
}

// "75 %" for 0.75.
function percentText(fraction) {
    return Math.round(fraction * 100) + " %"
}
