import QtQuick 2.5
import TPresets 1.0

// The preset database and the views around it, loaded asynchronously at
// start-up.
Item {
    id: _top
    anchors.fill: parent
    property alias tDatabase: tdb
    property alias tLogin: tlogin
    property alias tImportBrush: timport
    property alias tViewWelcomeToCommunity: twelcome

    TDatabaseInterface { id: tdb }
    TViewLogin { id: tlogin }
    TViewImportBrush { id: timport }
    TViewWelcomeToCommunity { id: twelcome }
}
