#include "Strobase.h"

#include "TGLWorkerThread.h"

namespace {
QString g_dataFolder;
QString g_tgrcFolder;
} // namespace

namespace Strobase {

void init(const QString& dataFolder, const QUrl&, const QString& tgrcFolder)
{
    g_dataFolder = dataFolder;
    g_tgrcFolder = tgrcFolder;
}

void shutDown()
{
    TGLWorkerThread::shutDown();
}

QString dataFolder()
{
    return g_dataFolder;
}

QString tgrcFolder()
{
    return g_tgrcFolder;
}

} // namespace Strobase
