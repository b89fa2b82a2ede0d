import QtQuick 2.5

// The one overlay over a module's preview. A resting overlay stays while
// its owner wants it (the mask brush while the editing panel is active); a
// passing one (a position picker at work) covers it until its owner is
// done, and the resting one comes back. Every overlay is given the view.
Loader {
    id: _top
    property var view: null
    readonly property var owner: current ? current.owner : null
    property var resting: null
    property var passing: null
    readonly property var current: passing ? passing : resting

    function showResting(owner, url, properties) {
        resting = { owner: owner, url: url, properties: properties || {} }
    }
    function hideResting(owner) {
        if (resting && resting.owner === owner)
            resting = null
    }
    function show(owner, url, properties) {
        passing = { owner: owner, url: url, properties: properties || {} }
    }
    function hide(owner) {
        if (passing && passing.owner === owner)
            passing = null
    }

    onCurrentChanged: {
        if (!current) {
            source = ""
            return
        }
        var properties = current.properties
        properties.view = Qt.binding(function() { return _top.view })
        // A new object even for the same document: its owner may differ.
        source = ""
        setSource(current.url, properties)
    }
}
