#include "StrovaneModule.h"

#include "TStrovane.h"
#include "TStrovaneWorker.h"

#include <TEFactory.h>

static TEBase* createStrovane(TEBase* parent)
{
    return new TStrovane(qobject_cast<TTreeNode*>(parent));
}

static TEBaseWorker* createStrovaneWorker(const QString& name, unsigned a, unsigned b)
{
    return new TStrovaneWorker(name, a, b);
}

void registerStrovaneClasses()
{
    TEFactory::registerClass(QStringLiteral("TStrovane"), createStrovane, createStrovaneWorker, QVariantMap(), false);
}
