#include "TApplyHistoryWorker.h"

TApplyHistoryWorker::TApplyHistoryWorker(const QString& name, unsigned a, unsigned b)
    : TEffectWorker(name, a, b)
{
}

TApplyHistoryWorker::~TApplyHistoryWorker() = default;

QString TApplyHistoryWorker::proc(TSFbo& output)
{
    output = inputFbo(decimation(), false, 0x8C3A); // GL_R11F_G11F_B10F
    return QString();
}
