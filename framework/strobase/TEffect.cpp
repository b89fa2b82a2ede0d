#include "TEffect.h"

#include "TGLWorkerThread.h"
#include "TPreviewHub.h"

#include <QLoggingCategory>

#include <atomic>

// "strovane.preview.info=true" in QT_LOGGING_RULES logs how long each
// preview took to answer (scripts/bench-preview-ui.sh reads it).
Q_LOGGING_CATEGORY(lcPreviewResponse, "strovane.preview", QtWarningMsg)

static const QString kBlendMode = QStringLiteral("blendMode");
static const QString kOpacity = QStringLiteral("opacity");

TEffect::TEffect(QObject* parent)
    : TEBase(parent)
{
    static std::atomic<quint64> nextId{1};
    m_id = nextId.fetch_add(1);
    // Slots and properties of effects take images by this name.
    static const int tsmatType = qRegisterMetaType<TSMat>("TSMat");
    Q_UNUSED(tsmatType);
    registerParam<int>(kBlendMode, 0, true);
    registerParam<float>(kOpacity, 1.0f, true);
}

TEffect::~TEffect()
{
    if (TGLWorkerThread* thread = TGLWorkerThread::existing())
        thread->releaseWorker(m_id);
}

int TEffect::blendMode() const
{
    return paramValue(kBlendMode).toInt();
}

float TEffect::opacity() const
{
    return paramValue(kOpacity).toFloat();
}

void TEffect::setBlendMode(int value)
{
    if (writeParam(kBlendMode, value))
        emit blendModeChanged(value);
}

void TEffect::setOpacity(float value)
{
    if (writeParam(kOpacity, value))
        emit opacityChanged(value);
}

void TEffect::setInput(const TSMat& input)
{
    if (input.uid() == m_input.uid())
        return;
    m_input = input;
    emit inputChanged();
}

void TEffect::setOutput(const TSMat& output)
{
    // Always told: a history that steps onto an equal image still moves.
    m_output = output;
    emit outputChanged();
}

void TEffect::setPreviewerUid(const QString& uid)
{
    if (uid == m_previewerUid)
        return;
    m_previewerUid = uid;
    emit previewerUidChanged(uid);
    if (!m_preview.isEmpty())
        TPreviewHub::instance()->publish(m_previewerUid, m_preview);
}

void TEffect::showPreview(const QVariant& image)
{
    m_preview = image.value<TSFbo>();
    emit previewChanged();
    TPreviewHub::instance()->publish(m_previewerUid, m_preview);
}

void TEffect::setDecimation(int decimation)
{
    decimation = std::max(decimation, 1);
    if (decimation == m_decimation)
        return;
    m_decimation = decimation;
    emit decimationChanged(decimation);
}

void TEffect::setRegion(const QRect& region)
{
    const QRect r = region.isEmpty() ? QRect() : region;
    if (r == m_region)
        return;
    m_region = r;
    emit regionChanged();
}

void TEffect::finalizeConstructor(const QString& className, TVersion version)
{
    setClassVersion(className, version);
}

void TEffect::requestPreview()
{
    procPreview();
}

void TEffect::procPreview()
{
    submit(TProcRequest::Preview);
}

void TEffect::procOutput()
{
    submit(TProcRequest::Output);
}

void TEffect::procPreset()
{
    submit(TProcRequest::Preset);
}

void TEffect::fillRequest(TProcRequest&) const
{
}

void TEffect::submit(TProcRequest::Mode mode)
{
    // Previews without an image have nothing to show.
    if (m_input.isEmpty() && mode == TProcRequest::Preview)
        return;
    TGLWorkerThread* thread = TGLWorkerThread::instance();
    // A GL thread that was shut down and started again is a new one.
    if (m_thread != thread) {
        m_thread = thread;
        connect(thread, &TGLWorkerThread::finished, this, [this](const TGLWorkerThread::Result& r) {
            if (r.effectId != m_id)
                return;
            if (!r.dropped) {
                if (r.mode == TProcRequest::Output && r.error.isEmpty())
                    setOutput(r.outputMat);
                else if (r.output.isValid() && r.mode != TProcRequest::Output) {
                    showPreview(r.output);
                    if (r.serial == m_serial && m_previewWait.isValid())
                        qCInfo(lcPreviewResponse, "%s preview answered in %lld ms", qPrintable(className()),
                               m_previewWait.elapsed());
                }
                emit procFinished(TProcRequest::modeName(r.mode), r.error);
            }
            if (r.serial == m_serial)
                m_previewWait.invalidate();
            setPending(m_pending - 1);
        }, Qt::QueuedConnection);
        connect(thread, &TGLWorkerThread::progress, this, [this](quint64 id, int percent, const QString& text) {
            if (id == m_id)
                emit progress(percent, text);
        }, Qt::QueuedConnection);
        connect(thread, &TGLWorkerThread::preview, this, [this](quint64 id, const QVariant& image) {
            if (id == m_id)
                showPreview(image);
        }, Qt::QueuedConnection);
    }
    TProcRequest request;
    request.effectId = m_id;
    request.className = className();
    request.mode = mode;
    request.state = stateData();
    request.input = m_input;
    request.decimation = m_decimation;
    // A result is always whole.
    if (mode == TProcRequest::Preview)
        request.region = m_region;
    request.serial = ++m_serial;
    request.background = m_background;
    if (mode == TProcRequest::Preview && !m_previewWait.isValid())
        m_previewWait.start();
    fillRequest(request);
    setPending(m_pending + 1);
    thread->submit(request);
}

void TEffect::setPending(int pending)
{
    const bool wasBusy = isBusy();
    m_pending = std::max(pending, 0);
    if (wasBusy != isBusy())
        emit isBusyChanged(isBusy());
    if (m_quitting && !isBusy()) {
        m_quitting = false;
        emit readyToQuit();
    }
}

void TEffect::prepareToQuit()
{
    if (!isBusy()) {
        QMetaObject::invokeMethod(this, &TEffect::readyToQuit, Qt::QueuedConnection);
        return;
    }
    m_quitting = true;
}
