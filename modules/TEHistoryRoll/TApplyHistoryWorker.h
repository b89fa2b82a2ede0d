#pragma once

#include <TEffectWorker.h>

// The history's preview is its current image as it is.
class TApplyHistoryWorker : public TEffectWorker {
    Q_OBJECT
public:
    TApplyHistoryWorker(const QString& name, unsigned a, unsigned b);
    ~TApplyHistoryWorker() override;

    QString proc(TSFbo& output) override;
};
