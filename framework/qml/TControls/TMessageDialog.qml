import QtQuick 2.5
import QtQuick.Window 2.2
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
    // The title of the questions; a notice says in its own title what it is.
    property string title: ""
    property alias text: messageDialog.text
    property alias messageDialog: messageDialog
    signal yes()
    signal no()
    signal cancel()
    // Whatever the answer, after the signals above.
    signal answered()

    function show(message, noticeTitle) {
        _which = ""
        messageDialog.ask(message, false, noticeTitle === undefined ? Qt.application.name : noticeTitle)
    }
    function imageChanged() {
        _which = "imageChanged"
        messageDialog.ask(qsTr("The painting has not been saved. Save it before opening another image?"), true, title)
    }
    function dragDropImageChanged(fileUrl, question) {
        _which = "dragDropImageChanged"
        dragDropFileUrl = fileUrl
        messageDialog.ask(question !== undefined ? question
                          : qsTr("The painting has not been saved. Save it before opening the dropped image?"), true, title)
    }
    function exitWarning() {
        _which = "exitWarning"
        messageDialog.ask(qsTr("The painting has not been saved. Save it before quitting?"), true, title)
    }
    // Asks before something that cannot be taken back: Cancel or
    // acceptText; accepting answers yes().
    function confirm(message, acceptText, boxTitle) {
        _which = ""
        messageDialog.confirmText = acceptText
        messageDialog.ask(message, false, boxTitle)
    }

    Dialog {
        id: messageDialog
        property string text: ""
        property bool question: false
        // Set: a confirmation, with this text on its accepting button.
        property string confirmText: ""
        modality: Qt.ApplicationModal

        function ask(message, isQuestion, boxTitle) {
            text = message
            question = isQuestion
            if (question)
                confirmText = ""
            title = boxTitle
            open()
            // Once the text has been laid out in its lines.
            Qt.callLater(centre)
        }
        // Sized to the text (the height follows the wrapped lines), over
        // the middle of the window the box belongs to.
        function centre() {
            width = frame.implicitWidth
            height = frame.implicitHeight
            var owner = _top.Window.window
            if (owner) {
                x = owner.x + Math.round((owner.width - width) / 2)
                y = owner.y + Math.round((owner.height - height) / 2)
            }
        }
        function answer(kind) {
            close()
            if (confirmText !== "") {
                confirmText = ""
                if (kind === "yes")
                    _top.yes()
                else
                    _top.cancel()
                _top.answered()
                return
            }
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
            id: frame
            // The layout settles after the text is set.
            onImplicitHeightChanged: if (messageDialog.visible) messageDialog.centre()
            onAcceptKey: messageDialog.answer(messageDialog.question || messageDialog.confirmText !== "" ? "yes" : "ok")
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
                        text: messageDialog.question || messageDialog.confirmText !== "" ? "?" : "i"
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
                    visible: messageDialog.question || messageDialog.confirmText !== ""
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
                    text: messageDialog.confirmText !== "" ? messageDialog.confirmText
                        : messageDialog.question ? qsTr("Save") : qsTr("OK")
                    onClicked: messageDialog.answer(messageDialog.question || messageDialog.confirmText !== "" ? "yes" : "ok")
                }
            ]
        }
    }
}
