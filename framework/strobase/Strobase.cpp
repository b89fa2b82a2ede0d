#include "Strobase.h"

#include "TGLWorkerThread.h"

#include <QCoreApplication>
#include <QSurfaceFormat>

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

void setOpenGLDefaults()
{
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    QSurfaceFormat::setDefaultFormat(format);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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
