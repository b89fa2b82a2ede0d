#pragma once

#include "TProcRequest.h"
#include "TSFbo.h"

#include <QObject>
#include <QStringList>

// The GPU side of an effect. The framework creates one per effect object on
// its GL thread and, per request, calls proc then postProc.
class STROBASE_EXPORT TEBaseWorker : public QObject {
    Q_OBJECT
public:
    // name: the effect class; effectId: the effect object it serves;
    // flags: reserved, 0.
    TEBaseWorker(const QString& name, unsigned effectId, unsigned flags);
    ~TEBaseWorker() override;

    QString name() const { return m_name; }

    // Identity of the request's parameters.
    virtual quint32 stateUid() const;
    // Fills output; returns an error text, empty on success.
    virtual QString proc(TSFbo& output) = 0;
    virtual void postProc(TSFbo& output);
    // The framework's own parameters that postProc reads.
    virtual QStringList baseParamKeys() const;
    // Runs one request: proc, then postProc unless proc failed.
    virtual QString processProcReq(const TProcRequest& request, TSFbo& output);

    static int glMaxTextureSize();
    // Video memory in KiB where the driver tells, else 0.
    static int glRAMSizeKB();

protected:
    const TProcRequest& request() const { return m_request; }
    const QVariantMap& stateData() const { return m_request.state; }

private:
    QString m_name;
    TProcRequest m_request;
};
