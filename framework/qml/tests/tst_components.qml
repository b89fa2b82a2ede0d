import QtQuick 2.5
import QtTest 1.1
import TBase 1.0
import TControls 1.0
import TComponents 1.0
import TEImageIO 1.0
import TEStrovane 1.0
import TPresets 1.0

// Every framework component comes up without errors and behaves as the
// shell relies on.
Item {
    id: root
    width: 800
    height: 600

    TestCase {
        name: "Components"
        when: windowShown

        function test_everyComponentLoads_data() {
            return [
                { tag: "TErrorDialog", url: "qrc:/TControls/TErrorDialog.qml" },
                { tag: "TMessageDialog", url: "qrc:/TControls/TMessageDialog.qml" },
                { tag: "TEImageView", url: "qrc:/TComponents/TEImageView.qml" },
                { tag: "TProgressBar", url: "qrc:/TComponents/TProgressBar.qml" },
                { tag: "TToolBar", url: "qrc:/TComponents/TToolBar.qml" },
                { tag: "TToolButtonIcon", url: "qrc:/TComponents/TToolButtonIcon.qml" },
                { tag: "TSaveJPEGDialog", url: "qrc:/TComponents/TSaveJPEGDialog.qml" },
                { tag: "TSaveTiffDialog", url: "qrc:/TComponents/TSaveTiffDialog.qml" },
                { tag: "TSavePngDialog", url: "qrc:/TComponents/TSavePngDialog.qml" },
                { tag: "TEStartupBase", url: "qrc:/TComponents/TEStartupBase.qml" },
                { tag: "TEModuleBase", url: "qrc:/TComponents/TEModuleBase.qml" },
            ]
        }
        function test_everyComponentLoads(data) {
            var component = Qt.createComponent(data.url)
            compare(component.status, Component.Ready, component.errorString())
            var object = component.createObject(root)
            verify(object !== null)
            object.destroy()
        }

        function test_iconsAreDrawn_data() {
            return ["qrc:/TComponents/icons/file-picture.png", "qrc:/TComponents/icons/file-picture-add.png",
                    "qrc:/TComponents/icons/in_ffffff_25.png", "qrc:/TComponents/icons/out_ffffff_25.png",
                    "qrc:/TComponents/icons/100_ffffff_25.png", "qrc:/TComponents/icons/fit_ffffff_25.png",
                    "qrc:/TComponents/icons/undo.png", "qrc:/TComponents/icons/redo.png",
                    "qrc:/TControls/icons/hand-white.png"].map(function(u) { return { tag: u, url: u } })
        }
        function test_iconsAreDrawn(data) {
            var image = Qt.createQmlObject('import QtQuick 2.5; Image {}', root)
            image.source = data.url
            compare(image.status, Image.Ready)
            compare(image.sourceSize.width, 25)
            image.destroy()
        }

        function test_messageDialogTagsTheQuestion() {
            var dialog = Qt.createComponent("qrc:/TControls/TMessageDialog.qml").createObject(root)
            var no = signalSpy.createObject(root, { target: dialog, signalName: "no" })
            var yes = signalSpy.createObject(root, { target: dialog, signalName: "yes" })
            dialog.imageChanged()
            compare(dialog._which, "imageChanged")
            verify(dialog.messageDialog.visible)
            dialog.messageDialog.answer("no")
            compare(no.count, 1)
            compare(dialog._which, "", "an answered question is no longer pending")

            dialog.dragDropImageChanged("file:///tmp/dropped.jpg")
            compare(dialog._which, "dragDropImageChanged")
            compare(dialog.dragDropFileUrl, "file:///tmp/dropped.jpg")
            dialog.messageDialog.answer("yes")
            compare(yes.count, 1)
            compare(dialog._which, "dragDropImageChanged", "kept until the save is done")

            dialog.show("Saved.")
            compare(dialog.text, "Saved.")
            compare(dialog._which, "")
            dialog.messageDialog.answer("ok")
            compare(yes.count + no.count, 2, "OK on a notice answers no question")
            dialog.destroy()
        }

        function test_moduleBaseTracksUnsavedWork() {
            var module = Qt.createComponent("qrc:/TComponents/TEModuleBase.qml").createObject(root)
            var effect = Qt.createQmlObject('import TEStrovane 1.0; TStrovane {}', module)
            module.teffect = effect
            verify(!module.actions.shouldShowExitWarning(), "nothing done yet")
            effect.stroke_brush_size = 0.9
            effect.setUndoPoint()
            verify(module.actions.shouldShowExitWarning())
            module.actions.updateNumUndosAtLastSave()
            verify(!module.actions.shouldShowExitWarning(), "saved")

            effect.stroke_brush_size = 0.2
            effect.setUndoPoint()
            var handled = module.handleKeyPressedEvent({ key: Qt.Key_Z, modifiers: Qt.ControlModifier, accepted: false })
            verify(handled)
            fuzzyCompare(effect.stroke_brush_size, 0.9, 1e-6)
            verify(!module.actions.shouldShowExitWarning(), "back where it was saved")
            verify(!module.handleKeyPressedEvent({ key: Qt.Key_A, modifiers: Qt.ControlModifier, accepted: false }))
            module.destroy()
        }

        function test_saveDialogsOfferWhatTheExportReads() {
            var jpeg = Qt.createComponent("qrc:/TComponents/TSaveJPEGDialog.qml").createObject(root)
            verify(["Low", "Medium", "High", "Very High", "Maximum"].indexOf(jpeg.jpegQuality) >= 0)
            verify(["Standard", "Optimized", "Progressive"].indexOf(jpeg.jpegFormatOption) >= 0)
            jpeg.destroy()
            var tiff = Qt.createComponent("qrc:/TComponents/TSaveTiffDialog.qml").createObject(root)
            verify(tiff.tiffBitDepth === 8 || tiff.tiffBitDepth === 16)
            tiff.destroy()
            var png = Qt.createComponent("qrc:/TComponents/TSavePngDialog.qml").createObject(root)
            verify(["None", "Fast", "Normal", "Best"].indexOf(png.tiffCompression) >= 0)
            png.destroy()
        }

        // The item under item (its children and content) whose text is text.
        function textShowing(item, text) {
            if (!item)
                return null
            if (item.text === text && item.textFormat !== undefined)
                return item
            var below = []
            for (var c = 0; item.children && c < item.children.length; ++c)
                below.push(item.children[c])
            if (item.contentItem)
                below.push(item.contentItem)
            for (var i = 0; i < below.length; ++i) {
                var found = textShowing(below[i], text)
                if (found)
                    return found
            }
            return null
        }
        // Shown as the characters it is: laid out as the text set plainly.
        function showsItsCharacters(label, text) {
            verify(label !== null, "shown: " + text)
            compare(label.textFormat, Text.PlainText)
            var plain = Qt.createQmlObject('import QtQuick 2.5; Text { textFormat: Text.PlainText }', root)
            plain.font = label.font
            plain.wrapMode = label.wrapMode
            plain.elide = label.elide
            plain.width = label.width
            plain.text = text
            verify(Math.abs(label.contentWidth - plain.contentWidth) < 1, "as wide as the plain text")
            verify(Math.abs(label.contentHeight - plain.contentHeight) < 1, "as high as the plain text")
            plain.destroy()
        }
        readonly property string markup: "<u>Im</u><font size=7 color=red>ported</font><img src=\"file:///etc/hostname\">"

        function test_namesAndMessagesFromOutsideShowTheirCharacters() {
            // A brush set named with markup, imported while a browser lists
            // the brushes: it is listed at once, by its name's characters.
            var browser = Qt.createComponent("qrc:/TComponents/TextureBrowser.qml").createObject(root, { kind: "brushsets" })
            var guid = "0e3c3a8e-8f4b-4e8a-9d59-1b1f0c8c7a12"
            verify(findChild(browser, "texture-" + guid) === null)
            var importer = Qt.createComponent("qrc:/TPresets/TViewImportBrush.qml").createObject(root)
            compare(importer.importFrom(probe.makeBrushSet(guid, markup)), "")
            var tile = findChild(browser, "texture-" + guid)
            verify(tile !== null, "listed without a restart")
            showsItsCharacters(textShowing(tile, markup), markup)
            browser.currentGuid = guid
            showsItsCharacters(textShowing(browser, qsTr("") + ": " + markup), ": " + markup)
            importer.destroy()
            browser.destroy()

            // A style named after a file.
            var panel = Qt.createComponent("qrc:/TEStrovane/TStylePanel.qml").createObject(root, {
                width: 400, height: 400, database: { styles: [{ guid: "g1", name: markup, thumbnail: "" }] } })
            waitForRendering(panel)
            showsItsCharacters(textShowing(findChild(panel, "styleGrid"), markup), markup)
            panel.message = markup
            showsItsCharacters(textShowing(panel, markup), markup)
            panel.destroy()

            // A message that holds a name.
            var dialog = Qt.createComponent("qrc:/TControls/TMessageDialog.qml").createObject(root)
            dialog.show(markup)
            showsItsCharacters(textShowing(dialog.messageDialog.contentItem, markup), markup)
            dialog.messageDialog.answer("ok")
            dialog.destroy()
        }

        function test_utils() {
            compare(TUtils.urlToFileName(TUtils.stringToUrl("/home/ana/poppies.jpg")), "poppies.jpg")
            compare(TUtils.stringToUrl("file:///a/b.png").toString(), "file:///a/b.png")
            compare(TUtils.systemUid.length, 32)
            var text = TUtils.presetToString({ version: "2.0", params: { stroke_brush_size: 0.5 } })
            compare(JSON.parse(text).params.stroke_brush_size, 0.5)
            compare(JSON.parse(text).version, "2.0")
        }
    }

    Component {
        id: signalSpy
        SignalSpy {}
    }
}
