# Run by kritarunner for the plug-in's tests: builds a document from a case
# file, runs the plug-in on its layer as the menu's action does, and writes
# what the document holds afterwards for the test to check.
#
#   kritarunner -s krita_cases -f main CASE.json     build, run, write back
#   kritarunner -s krita_cases -f save CASE.json     build, save as CASE's kra
#   kritarunner -s krita_cases -f inspect CASE.json  open CASE's kra, write back
#
# CASE.json: pluginDir (the pykrita folder holding strovane_painting), width,
# height, model, depth, profile, pixels (raw layer pixels in Krita's order, or
# none for a plain fill), annotation (or none), selection [x, y, w, h] (or
# none), interactive, out (a folder), kra (for save and inspect).
# out/result.json gets the run's answer, the messages shown and the layers
# bottom to top; out/layer-N.raw each layer's pixels over the image,
# out/source-before.raw the source's before.
import json
import os
import sys

from krita import Krita, Selection

ANNOTATION = "strovane-preset-id"


def _write(path, data):
    with open(path + ".part", "wb") as f:
        f.write(data)
    os.replace(path + ".part", path)


def _case(args):
    with open(args[0]) as f:
        return json.load(f)


def _build(case):
    krita = Krita.instance()
    w, h = case["width"], case["height"]
    doc = krita.createDocument(w, h, "case", case["model"], case["depth"], case["profile"], 72.0)
    source = doc.rootNode().childNodes()[0]
    if case["pixels"]:
        with open(case["pixels"], "rb") as f:
            source.setPixelData(f.read(), 0, 0, w, h)
    else:
        size = len(bytes(source.pixelData(0, 0, 1, 1)))
        source.setPixelData(bytes((i * 7) % 251 for i in range(w * h * size)), 0, 0, w, h)
    if case["annotation"]:
        doc.setAnnotation(ANNOTATION, "test", case["annotation"].encode("utf-8"))
    if case["selection"]:
        selection = Selection()
        selection.select(*case["selection"], 255)
        doc.setSelection(selection)
    doc.refreshProjection()
    doc.waitForDone()
    _write(os.path.join(case["out"], "source-before.raw"), bytes(source.pixelData(0, 0, w, h)))
    return doc, source


def _write_back(case, doc, source, extra):
    w, h = doc.width(), doc.height()
    layers = []
    for i, node in enumerate(doc.rootNode().childNodes()):
        layers.append({"name": node.name(), "type": node.type(), "model": node.colorModel(),
                       "depth": node.colorDepth(), "profile": node.colorProfile(),
                       "source": source is not None and node.uniqueId() == source.uniqueId()})
        _write(os.path.join(case["out"], "layer-%d.raw" % i), bytes(node.pixelData(0, 0, w, h)))
    annotation = bytes(doc.annotation(ANNOTATION) or b"").decode("utf-8", "replace")
    result = dict(extra, layers=layers, annotation=annotation)
    _write(os.path.join(case["out"], "result.json"), json.dumps(result).encode("utf-8"))


def main(args=None):
    case = _case(args)
    sys.path.insert(0, case["pluginDir"])
    from strovane_painting import painting

    messages = []
    painting.show_message = messages.append
    doc, source = _build(case)
    # The actions call run() on the active document's active node; a
    # kritarunner document has no view to make it active.
    returned = painting.run(doc, source, case["interactive"])
    doc.waitForDone()
    _write_back(case, doc, source, {"returned": bool(returned), "messages": messages})
    doc.close()


def save(args=None):
    case = _case(args)
    doc, _ = _build(case)
    Krita.instance().setBatchmode(True)
    doc.setBatchmode(True)
    doc.saveAs(case["kra"])
    doc.waitForDone()
    doc.close()


def inspect(args=None):
    case = _case(args)
    Krita.instance().setBatchmode(True)
    doc = Krita.instance().openDocument(case["kra"])
    doc.waitForDone()
    _write_back(case, doc, None, {})
    doc.close()
