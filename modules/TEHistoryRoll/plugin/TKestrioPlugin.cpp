#include "TKestrioPlugin.h"

#include "HistoryModule.h"
#include "TApplyHistory.h"

#include <QtQml>

void TKestrioPlugin::registerTypes(const char* uri)
{
    qmlRegisterType<TApplyHistory>(uri, 1, 0, "TApplyHistory");
    registerHistoryClasses();
}
