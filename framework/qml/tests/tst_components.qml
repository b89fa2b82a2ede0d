import QtQuick 2.5
import QtTest 1.1
import TBase 1.0
import TControls 1.0
import TComponents 1.0
import TEImageIO 1.0
import TEStrovane 1.0

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
