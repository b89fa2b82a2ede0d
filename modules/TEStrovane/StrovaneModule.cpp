#include "StrovaneModule.h"

#include "TStrovane.h"

#include <TEFactory.h>

static TEBase* createStrovane(TEBase* parent)
{
    return new TStrovane(qobject_cast<TTreeNode*>(parent));
}

void registerStrovaneClasses()
{
    TEFactory::registerClass(QStringLiteral("TStrovane"), createStrovane, nullptr, QVariantMap(), false);
}
