#include "HistoryModule.h"

#include "TApplyHistory.h"
#include "TApplyHistoryWorker.h"

#include <TEFactory.h>
#include <TTreeNode.h>

static TEBase* createApplyHistory(TEBase* parent)
{
    return new TApplyHistory(qobject_cast<TTreeNode*>(parent));
}

static TEBaseWorker* createApplyHistoryWorker(const QString& name, unsigned a, unsigned b)
{
    return new TApplyHistoryWorker(name, a, b);
}

void registerHistoryClasses()
{
    TEFactory::registerClass(QStringLiteral("TApplyHistory"), createApplyHistory, createApplyHistoryWorker,
                             QVariantMap(), false);
}
