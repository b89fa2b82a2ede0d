#pragma once

#include "TEBase.h"
#include "TProcRequest.h"
#include "TSFbo.h"
#include "TSMat.h"

#include <QElapsedTimer>
#include <QPointer>

class TGLWorkerThread;
// An effect the user applies to an image. Besides its parameters it has the
// framework's base entries "blendMode" and "opacity" (how the result is laid
// over the input), an input image, and the processing requests that its
// worker runs on the GL thread.
class STROBASE_EXPORT TEffect : public TEBase {
    Q_OBJECT
    Q_PROPERTY(int blendMode READ blendMode WRITE setBlendMode NOTIFY blendModeChanged)
    Q_PROPERTY(float opacity READ opacity WRITE setOpacity NOTIFY opacityChanged)
    Q_PROPERTY(TSMat input READ input WRITE setInput NOTIFY inputChanged)
    Q_PROPERTY(TSMat output READ output WRITE setOutput NOTIFY outputChanged)
    Q_PROPERTY(QString previewerUid READ previewerUid WRITE setPreviewerUid NOTIFY previewerUidChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)
    Q_PROPERTY(int decimation READ decimation WRITE setDecimation NOTIFY decimationChanged)
    // The part of the input the view shows, in full-resolution pixels; empty
    // when it shows all of it. Previews may be made for that part only.
    Q_PROPERTY(QRect region READ region WRITE setRegion NOTIFY regionChanged)
    // Its requests wait for every other effect's (work the user did not ask
    // for, such as thumbnails).
    Q_PROPERTY(bool background READ background WRITE setBackground)
public:
    explicit TEffect(QObject* parent = nullptr);
    ~TEffect() override;

    int blendMode() const;
    float opacity() const;

    TSMat input() const { return m_input; }
    void setInput(const TSMat& input);
    // The effect's result: set by a finished output request or by setOutput,
    // never by a preview.
    TSMat output() const { return m_output; }
    Q_INVOKABLE void setOutput(const TSMat& output);
    // The latest preview, a GPU image; it also goes to the view named by
    // previewerUid.
    TSFbo preview() const { return m_preview; }
    QString previewerUid() const { return m_previewerUid; }
    void setPreviewerUid(const QString& uid);
    bool isBusy() const { return m_pending > 0; }
    // Integer reduction of the input for requests (1: full resolution).
    int decimation() const { return m_decimation; }
    void setDecimation(int decimation);
    QRect region() const { return m_region; }
    void setRegion(const QRect& region);
    quint64 effectId() const { return m_id; }
    bool background() const { return m_background; }
    void setBackground(bool background) { m_background = background; }

    Q_INVOKABLE void procPreview();
    // Effects that do their work off the GL thread override it.
    Q_INVOKABLE virtual void procOutput();
    Q_INVOKABLE void procPreset();
    // Finishes pending work, then emits readyToQuit.
    Q_INVOKABLE void prepareToQuit();

public slots:
    void setBlendMode(int value);
    void setOpacity(float value);

signals:
    void blendModeChanged(int value);
    void opacityChanged(float value);
    void inputChanged();
    void outputChanged();
    void previewChanged();
    void previewerUidChanged(const QString& uid);
    void isBusyChanged(bool isBusy);
    void decimationChanged(int decimation);
    void regionChanged();
    void progress(int percent, const QString& text);
    // mode: "PREVIEW", "OUTPUT" or "PRESET"; error empty on success.
    void procFinished(const QString& mode, const QString& error);
    void readyToQuit();

protected:
    // Called last by every effect constructor: names the effect class and its
    // current parameter version, and makes the defaults the first undo point.
    void finalizeConstructor(const QString& className, TVersion version);
    void requestPreview() override;
    // Adds what a subclass contributes to a request (a mask).
    virtual void fillRequest(TProcRequest& request) const;
    // Requests under way; isBusy and the quit protocol follow it.
    int pending() const { return m_pending; }
    void setPending(int pending);

private:
    void submit(TProcRequest::Mode mode);
    void showPreview(const QVariant& image);

    quint64 m_id;
    QPointer<TGLWorkerThread> m_thread;
    TSMat m_input;
    TSMat m_output;
    TSFbo m_preview;
    QString m_previewerUid;
    int m_decimation = 1;
    QRect m_region;
    bool m_background = false;
    int m_pending = 0;
    quint64 m_serial = 0;
    // From the first preview asked for after an answered one to the answer
    // of the latest: what a user moving a control waits.
    QElapsedTimer m_previewWait;
    bool m_quitting = false;
};
