import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Controls.Styles 1.4
import TComponents 1.0
import "qrc:/TBase/TmConfigure.js" as TC

// The shell's menu bar.
MenuBar {
    id: bar
    property var actions
    // The effect module over the shell, if one is loaded.
    readonly property var module: actions && actions.currentModule ? actions.currentModule : null

    style: MenuBarStyle {
        background: Rectangle { color: TC.colorPanelDark }
        itemDelegate: Rectangle {
            implicitWidth: label.implicitWidth + 16
            implicitHeight: label.implicitHeight + 8
            color: styleData.open || styleData.selected ? TC.colorSelection : "transparent"
            Text {
                id: label
                anchors.centerIn: parent
                text: styleData.text.replace("&", "")
                color: TC.colorText
                font.pointSize: TC.fontSizeStd
            }
        }
        menuStyle: TMenuStyle {}
    }

    Menu {
        title: qsTr("&File")
        style: TMenuStyle {}
        MenuItem { action: bar.actions.actNewProject }
        MenuItem { action: bar.actions.actSaveImage }
        MenuSeparator {}
        MenuItem {
            text: qsTr("Import Brush Set...")
            enabled: typeof tImportBrush !== "undefined" && tImportBrush !== undefined
            onTriggered: tImportBrush.open()
        }
        MenuItem { action: bar.actions.actPreference }
        MenuSeparator {}
        MenuItem { action: bar.actions.actExit }
        MenuSeparator {}
        MenuSeparator {}
    }
    // Two undos, each named: the effect module's settings (Ctrl+Z) and the
    // history of applied results.
    Menu {
        title: qsTr("&Edit")
        style: TMenuStyle {}
        MenuItem {
            visible: bar.module !== null
            action: bar.module ? bar.module.actUndoSettings : null
        }
        MenuItem {
            visible: bar.module !== null
            action: bar.module ? bar.module.actRedoSettings : null
        }
        MenuSeparator { visible: bar.module !== null }
        MenuItem {
            text: qsTr("Undo Applied Result")
            enabled: bar.actions.actPrevImage.enabled
            onTriggered: bar.actions.actPrevImage.trigger()
        }
        MenuItem {
            text: qsTr("Redo Applied Result")
            enabled: bar.actions.actNextImage.enabled
            onTriggered: bar.actions.actNextImage.trigger()
        }
        MenuSeparator {}
    }
    Menu {
        title: qsTr("&View")
        style: TMenuStyle {}
        MenuItem { action: bar.actions.actZoomFit }
        MenuItem { action: bar.actions.actZoom100 }
        MenuItem { action: bar.actions.actZoomIn }
        MenuItem { action: bar.actions.actZoomOut }
        MenuItem { action: bar.actions.actPanning }
    }
    Menu {
        title: qsTr("&Help")
        style: TMenuStyle {}
        MenuItem {
            text: qsTr("About")
            onTriggered: tMessageDialog.show(tAppDelegate.getAppName() + " " + tAppDelegate.getAppVersion() + "\n\n"
                                             + qsTr("Turns photographs into paintings."),
                                             qsTr("About %1").arg(tAppDelegate.getAppName()))
        }
        MenuItem {
            text: qsTr("Welcome Screen")
            visible: bar.module !== null && bar.module.showWelcome !== undefined
            onTriggered: bar.module.showWelcome()
        }
        MenuItem {
            text: qsTr("Guided Tour")
            visible: bar.module !== null && bar.module.startTour !== undefined
            onTriggered: bar.module.startTour()
        }
        MenuItem {
            text: qsTr("Sharing Styles...")
            enabled: typeof tViewWelcomeToCommunity !== "undefined" && tViewWelcomeToCommunity !== undefined
            onTriggered: tViewWelcomeToCommunity.show()
        }
        MenuItem {
            text: qsTr("Account...")
            enabled: typeof tLogin !== "undefined" && tLogin !== undefined
            onTriggered: tLogin.show()
        }
        MenuItem {
            text: qsTr("velmora-labs.com")
            onTriggered: tAppDelegate.openUrl("https://velmora-labs.com")
        }
        MenuSeparator {}
    }
}
