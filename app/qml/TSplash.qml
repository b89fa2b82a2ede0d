import QtQuick 2.3
import QtQuick.Window 2.0
import QtQuick.Controls 1.2
import QtQuick.Controls.Styles 1.2

// Shown while the GPU server and the preset database start. The bar shows
// activity, not progress.
Item {
    id: _splash
    width: 620
    height: 422
    property int steps: 0

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.AllButtons
        hoverEnabled: true
    }

    Rectangle {
        id: _picture
        anchors { left: parent.left; right: parent.right; top: _topbar.bottom; bottom: _bottombar.top }
        anchors.topMargin: -_topbar.radius
        anchors.bottomMargin: -_bottombar.radius
        color: "#ffffff"
        AnimatedImage {
            anchors.fill: parent
            anchors.topMargin: _topbar.radius
            anchors.bottomMargin: _bottombar.radius
            source: "qrc:/resources/splash.gif"
            fillMode: Image.PreserveAspectFit
        }
    }
    Rectangle {
        id: _topbar
        anchors { left: parent.left; right: parent.right; top: parent.top }
        height: 78 + radius
        radius: 8
        color: "#1d776b"
        Text {
            anchors.centerIn: parent
            anchors.verticalCenterOffset: -2
            text: "Welcome to " + tAppDelegate.getAppName()
            color: "#ffffff"
            font.pointSize: vmMain.fontSizeStd * 1.5
        }
    }
    Rectangle {
        id: _bottombar
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        height: 53 + radius
        radius: _topbar.radius
        color: "#e3e3e3"
        Text {
            id: _text
            anchors { left: parent.left; leftMargin: 10; verticalCenter: parent.verticalCenter }
            text: "Setting up " + tAppDelegate.getAppName() + " ..."
            color: "black"
            font.pointSize: vmMain.fontSizeStd
        }
        ProgressBar {
            id: _progress
            anchors { left: _text.right; leftMargin: 20; right: parent.right; rightMargin: 10; verticalCenter: parent.verticalCenter }
            value: 0.1
        }
    }
    Timer {
        interval: 100
        repeat: true
        running: true
        onTriggered: {
            _splash.steps = _splash.steps + 1
            if (_splash.steps === 30)
                _splash.steps = 0
            _progress.value = 0.1 + _splash.steps / 30
        }
    }
}
