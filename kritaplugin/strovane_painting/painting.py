# Sends the active paint layer (or the selection's bounds in it) to
# strovane-host as a PNG with the layer's ICC profile, and puts what comes
# back into a new layer directly above it.
#
# The host runs under a QProcess while a nested event loop waits for it:
# Krita keeps repainting and the progress dialog's Cancel ends the host,
# and the dialog, modal to Krita's window, keeps the document from changing
# under the painting meanwhile.
import os
import re
import shutil
import struct
import sys
import tempfile
import zlib

from krita import InfoObject, Krita
from PyQt5.QtCore import QEventLoop, QProcess, QRect, Qt
from PyQt5.QtGui import QImage, QImageReader
from PyQt5.QtWidgets import QMessageBox, QProgressDialog

from . import location

LAYER_NAME = "Strovane painting"
ANNOTATION = "strovane-preset-id"
TITLE = "Strovane Painting"

_MODELS = {"RGBA": "RGB", "CMYKA": "CMYK", "GRAYA": "grayscale", "LABA": "L*a*b*",
           "XYZA": "XYZ", "YCbCrA": "YCbCr", "A": "alpha"}
_DEPTHS = {"U8": "8-bit integer", "U16": "16-bit integer", "F16": "16-bit float", "F32": "32-bit float"}
# Host output kept in memory: its progress lines can be many.
_OUTPUT_LIMIT = 64 * 1024


def _message_box(text):
    window = Krita.instance().activeWindow()
    QMessageBox.warning(window.qwindow() if window else None, TITLE, text)


# Every message to the user goes through here; a test replaces it to read
# them without a box waiting for a click.
show_message = _message_box


class Failure(Exception):
    pass


def host_program():
    """STROVANE_HOST, else the path the build or install wrote, else PATH."""
    named = os.environ.get("STROVANE_HOST")
    if named:
        return named
    if location.HOST and os.access(location.HOST, os.X_OK):
        return location.HOST
    return shutil.which("strovane-host") or "strovane-host"


def run_on_active(interactive):
    doc = Krita.instance().activeDocument()
    if doc is None:
        show_message("Open an image first.")
        return False
    return run(doc, doc.activeNode(), interactive)


def run(doc, node, interactive):
    """Paints node of doc; True when a layer was added."""
    try:
        return _run(doc, node, interactive)
    except Failure as e:
        show_message(str(e))
        return False


def _run(doc, node, interactive):
    if node is None or node.type() != "paintlayer":
        raise Failure("Choose a paint layer: Strovane Painting paints the active paint layer.")
    model, depth = node.colorModel(), node.colorDepth()
    if model != "RGBA" or depth not in ("U8", "U16"):
        raise Failure("Strovane Painting paints RGB layers of 8 or 16 bits (integer) per channel; this layer is %s "
                      "at %s. Convert it with Image > Convert Image Color Space first."
                      % (_MODELS.get(model, model), _DEPTHS.get(depth, depth)))
    rect = QRect(0, 0, doc.width(), doc.height())
    selection = doc.selection()
    if selection is not None and selection.width() > 0 and selection.height() > 0:
        rect = rect.intersected(QRect(selection.x(), selection.y(), selection.width(), selection.height()))
    if rect.isEmpty():
        raise Failure("The selection lies outside the image: there is nothing to paint.")

    preset = bytes(doc.annotation(ANNOTATION) or b"").decode("utf-8", "replace").strip()
    if not interactive and not preset:
        raise Failure("This image has no Strovane painting to repeat yet: use Tools > Scripts > "
                      "Strovane Painting… first.")

    wide = depth == "U16"
    x, y, w, h = rect.x(), rect.y(), rect.width(), rect.height()
    folder = tempfile.mkdtemp(prefix="strovane-krita-")
    try:
        os.chmod(folder, 0o700)
        icc = _layer_profile(node, folder)
        source = bytes(node.pixelData(x, y, w, h))
        if len(source) != w * h * (8 if wide else 4):
            raise Failure("Krita gave the layer's pixels in an unexpected size.")
        inPath = os.path.join(folder, "in.png")
        outPath = os.path.join(folder, "out.png")
        _write_private(inPath, _png(w, h, wide, _bgra_to_rgba_be(source, wide), icc))
        args = []
        if preset:
            args += ["--preset-id", preset]
        if not interactive:
            args.append("--silent")
        code, out, err = _run_host(args + [inPath, outPath], interactive)
        if code == 1:
            return False
        if code != 0:
            lines = [l for l in err.splitlines() if l.strip()]
            reason = lines[-1].strip() if lines else ""
            # The host's own name before its message means nothing here.
            if reason.startswith("strovane-host: "):
                reason = reason[len("strovane-host: "):]
            reason = reason[:1].upper() + reason[1:]
            raise Failure("The painting failed: %s" % reason if reason else
                          "The painting failed (strovane-host ended with status %d)." % code)
        painting = _read_painting(outPath, w, h, wide)
    finally:
        shutil.rmtree(folder, ignore_errors=True)

    applied = out.splitlines()[0].strip() if out.strip() else ""
    # The pixels go in before the layer joins the image: adding it is then
    # the whole change, one undo step ("Add Layer").
    layer = doc.createNode(LAYER_NAME, "paintlayer")
    if (layer.colorModel(), layer.colorDepth(), layer.colorProfile()) != (model, depth, node.colorProfile()):
        layer.setColorSpace(model, depth, node.colorProfile())
    layer.setPixelData(painting, x, y, w, h)
    node.parentNode().addChildNode(layer, node)
    if re.fullmatch(r"[^\x00-\x1f\x7f]{1,256}", applied):
        doc.setAnnotation(ANNOTATION, "The Strovane preset applied last", applied.encode("utf-8"))
    # Krita's view makes the new layer the active one, later and whatever
    # setActiveNode says meanwhile: Repeat then paints the active layer, as
    # Krita's own repeat of a filter does.
    doc.setModified(True)
    doc.refreshProjection()
    return True


def _run_host(args, interactive):
    """Runs the host; (exit code, stdout, stderr). A crash or a cancel from
    Krita's side reads as failure or cancel."""
    program = host_program()
    process = QProcess()
    output = {"out": b"", "err": b""}
    state = {"failed": None, "cancelled": False}
    loop = QEventLoop()

    dialog = None
    window = Krita.instance().activeWindow()
    if window is not None:
        dialog = QProgressDialog("Painting in Strovane: Apply or Cancel in its window…" if interactive
                                 else "Painting with the last style…", "Cancel", 0, 0, window.qwindow())
        dialog.setWindowTitle(TITLE)
        dialog.setWindowModality(Qt.WindowModal)
        dialog.setMinimumDuration(0)

    # The host's progress lines name its temporary files: the dialog keeps
    # its own words, and the lines are kept for a failure's message.
    def read_err():
        output["err"] = (output["err"] + bytes(process.readAllStandardError()))[-_OUTPUT_LIMIT:]

    def read_out():
        output["out"] = (output["out"] + bytes(process.readAllStandardOutput()))[:_OUTPUT_LIMIT]

    def error(e):
        if e == QProcess.FailedToStart:
            state["failed"] = "strovane-host could not be started (%s): %s" % (program, process.errorString())
            loop.quit()

    def cancel():
        state["cancelled"] = True
        process.terminate()
        if not process.waitForFinished(3000):
            process.kill()

    process.readyReadStandardError.connect(read_err)
    process.readyReadStandardOutput.connect(read_out)
    process.finished.connect(lambda *a: loop.quit())
    process.errorOccurred.connect(error)
    if dialog is not None:
        dialog.canceled.connect(cancel)
    process.start(program, args)
    try:
        if dialog is not None:
            dialog.show()
        if process.state() != QProcess.NotRunning or state["failed"] is None:
            loop.exec_()
    finally:
        if dialog is not None:
            dialog.canceled.disconnect(cancel)
            dialog.close()
            dialog.deleteLater()
        if process.state() != QProcess.NotRunning:
            process.kill()
            process.waitForFinished(3000)
    if state["failed"]:
        raise Failure(state["failed"])
    read_out()
    read_err()
    if state["cancelled"]:
        return 1, "", ""
    if process.exitStatus() != QProcess.NormalExit:
        return 2, "", "strovane-host stopped unexpectedly."
    return (process.exitCode(), output["out"].decode("utf-8", "replace"),
            output["err"].decode("utf-8", "replace"))


def _layer_profile(node, folder):
    """The layer's ICC profile, as Krita's TIFF export of one pixel of it
    embeds it (the scripting API gives no profile bytes otherwise)."""
    path = os.path.join(folder, "profile.tif")
    krita = Krita.instance()
    batch = krita.batchmode()
    krita.setBatchmode(True)
    try:
        node.save(path, 72.0, 72.0, InfoObject(), QRect(0, 0, 1, 1))
    finally:
        krita.setBatchmode(batch)
    try:
        with open(path, "rb") as f:
            data = f.read(64 * 1024 * 1024)
    except OSError:
        raise Failure("Krita could not write the layer's colour profile.")
    icc = _tiff_icc(data)
    if not icc:
        raise Failure("The layer's colour profile could not be read.")
    return icc


def _tiff_icc(data):
    """The ICC profile tag of a classic TIFF's first directory, or None."""
    if len(data) < 8 or data[:2] not in (b"II", b"MM"):
        return None
    e = "<" if data[:2] == b"II" else ">"
    if struct.unpack(e + "H", data[2:4])[0] != 42:
        return None
    offset = struct.unpack(e + "I", data[4:8])[0]
    if offset + 2 > len(data):
        return None
    count = struct.unpack(e + "H", data[offset:offset + 2])[0]
    for i in range(count):
        entry = data[offset + 2 + 12 * i:offset + 14 + 12 * i]
        if len(entry) < 12:
            return None
        tag, kind, n = struct.unpack(e + "HHI", entry[:8])
        if tag != 34675 or kind not in (1, 7):
            continue
        if n <= 4:
            return entry[8:8 + n]
        start = struct.unpack(e + "I", entry[8:12])[0]
        return data[start:start + n] if start + n <= len(data) else None
    return None


def _bgra_to_rgba_be(data, wide):
    """Krita's BGRA (16-bit: native order) to PNG's RGBA (big-endian)."""
    out = bytearray(data)
    if not wide:
        out[0::4], out[2::4] = data[2::4], data[0::4]
        return bytes(out)
    if sys.byteorder == "little":
        order = (5, 4, 3, 2, 1, 0, 7, 6)
    else:
        order = (4, 5, 2, 3, 0, 1, 6, 7)
    for i, j in enumerate(order):
        out[i::8] = data[j::8]
    return bytes(out)


def _png(width, height, wide, rgba, icc):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    stride = width * (8 if wide else 4)
    rows = b"".join(b"\0" + rgba[r * stride:(r + 1) * stride] for r in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 16 if wide else 8, 6, 0, 0, 0))
            + chunk(b"iCCP", b"ICC profile\0\0" + zlib.compress(icc))
            + chunk(b"IDAT", zlib.compress(rows, 1))
            + chunk(b"IEND", b""))


def _write_private(path, data):
    part = path + ".part"
    fd = os.open(part, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    with os.fdopen(fd, "wb") as f:
        f.write(data)
    os.replace(part, path)


def _read_painting(path, width, height, wide):
    """The host's PNG as Krita's BGRA pixels of the layer's depth; anything
    of another size or depth is refused."""
    reader = QImageReader(path)
    reader.setAutoTransform(False)
    if not reader.canRead():
        raise Failure("strovane-host wrote no readable painting.")
    size = reader.size()
    if (size.width(), size.height()) != (width, height):
        raise Failure("strovane-host's painting has another size (%dx%d, not %dx%d)."
                      % (size.width(), size.height(), width, height))
    image = reader.read()
    if image.isNull():
        raise Failure("strovane-host's painting could not be read: %s" % reader.errorString())
    if (image.depth() == 64) != wide:
        raise Failure("strovane-host's painting came back at another bit depth.")
    image = image.convertToFormat(QImage.Format_RGBA64 if wide else QImage.Format_RGBA8888)
    line = width * (8 if wide else 4)
    bits = image.constBits()
    bits.setsize(image.bytesPerLine() * height)
    raw = bytes(bits)
    if image.bytesPerLine() != line:
        raw = b"".join(raw[r * image.bytesPerLine():r * image.bytesPerLine() + line] for r in range(height))
    # RGBA (16-bit: native order) to Krita's BGRA.
    out = bytearray(raw)
    if wide:
        out[0::8], out[1::8], out[4::8], out[5::8] = raw[4::8], raw[5::8], raw[0::8], raw[1::8]
    else:
        out[0::4], out[2::4] = raw[2::4], raw[0::4]
    return bytes(out)
