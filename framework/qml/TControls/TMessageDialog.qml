import QtQuick 2.5
import QtQuick.Controls 1.4
import QtQuick.Dialogs 1.2
import "qrc:/TBase/TmConfigure.js" as TC

// The program's one message box. show(text) informs; the questions about
// unsaved work tag the dialog with _which, so that whoever answers knows
// what the user was about to do: "imageChanged" (open another image),
// "dragDropImageChanged" (open the dropped dragDropFileUrl), "exitWarning"
// (quit). Yes means "save first", No "go on without saving".
Item {
    id: _top
    property string _which: ""
    property url dragDropFileUrl: ""
    property alias title: messageDialog.title
    property alias text: messageDialog.text
    property alias messageDialog: messageDialog
    signal yes()
    signal no()
    signal cancel()
    // Whatever the answer, after the signals above.
    signal answered()

    function show(message) {
        _which = ""
        messageDialog.ask(message, false)
    }
    function imageChanged() {
        _which = "imageChanged"
        messageDialog.ask(qsTr("The painting has not been saved. Save it before opening another image?"), true)
    }
    function dragDropImageChanged(fileUrl) {
        _which = "dragDropImageChanged"
        dragDropFileUrl = fileUrl
        messageDialog.ask(qsTr("The painting has not been saved. Save it before opening the dropped image?"), true)
    }
    function exitWarning() {
        _which = "exitWarning"
        messageDialog.ask(qsTr("The painting has not been saved. Save it before quitting?"), true)
    }

    Dialog {
        id: messageDialog
        property string text: ""
        property bool question: false
        modality: Qt.ApplicationModal

        function ask(message, isQuestion) {
            text = message
            question = isQuestion
            open()
        }
        function answer(kind) {
            close()
            if (kind === "yes")
                _top.yes()
            else if (kind === "no")
                _top.no()
            else if (question)
                _top.cancel()
            if (kind !== "yes")
                _top._which = ""
            _top.answered()
        }

        contentItem: TDialogFrame {
            onAcceptKey: messageDialog.answer(messageDialog.question ? "yes" : "ok")
            onRejectKey: messageDialog.answer("cancel")
            // N answers "Don't Save".
            Keys.onPressed: {
                if (messageDialog.question && event.key === Qt.Key_N) {
                    event.accepted = true
                    messageDialog.answer("no")
                }
            }

            Row {
                width: parent.width
                spacing: TC.margin * 1.5
                Rectangle {
                    width: 34
                    height: 34
                    radius: 17
                    color: TC.colorAccent
                    Text {
                        anchors.centerIn: parent
                        text: messageDialog.question ? "?" : "i"
                        font.pointSize: 15
                        font.bold: true
                        color: TC.colorTextOnAccent
                    }
                }
                Text {
                    width: parent.width - 34 - parent.spacing
                    text: messageDialog.text
                    textFormat: Text.PlainText
                    color: TC.colorText
                    font.pointSize: TC.fontSizeStd
                    wrapMode: Text.WordWrap
                }
            }
            buttons: [
                TDialogButton {
                    visible: messageDialog.question
                    text: qsTr("Cancel")
                    onClicked: messageDialog.answer("cancel")
                },
                TDialogButton {
                    visible: messageDialog.question
                    text: qsTr("Don't Save")
                    onClicked: messageDialog.answer("no")
                },
                TDialogButton {
                    isDefault: true
                    text: messageDialog.question ? qsTr("Save") : qsTr("OK")
                    onClicked: messageDialog.answer(messageDialog.question ? "yes" : "ok")
                }
            ]
        }
    }
}
