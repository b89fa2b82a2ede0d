.pragma library
// Logging for the QML documents, quiet unless switched on.

var enabled = false

function log(tag, message) {
    if (enabled)
        console.log("<" + tag + "> " + message)
}

// The enumerable properties of an object, one per line.
function dump(tag, obj) {
    if (!enabled)
        return
    var lines = []
    for (var key in obj) {
        if (typeof obj[key] !== "function")
            lines.push("  " + key + ": " + obj[key])
    }
    console.log("<" + tag + "> " + obj + "\n" + lines.join("\n"))
}

function check(condition, message) {
    if (!condition) {
        console.warn("check failed: " + message)
        console.trace()
    }
    return condition
}
