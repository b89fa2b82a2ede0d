import QtQuick 2.5
import Qt.labs.settings 1.0

// The shell keeps no preferences of its own: its dialog edits the main
// window's settings.
Settings {
    category: "HistoryRollPreference"
}
