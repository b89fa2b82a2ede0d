// Qt Quick Test runner for the history shell's documents, with the
// program's delegate and OpenGL defaults and its QML folder.
#include "VmAppDelegate.h"

#include <Strobase.h>

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest>

class Setup : public QObject {
    Q_OBJECT
public:
    Setup()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Velmora Labs Tests"));
        QCoreApplication::setApplicationName(QStringLiteral("Velmora Strovane 2"));
        Strobase::setOpenGLDefaults();
    }

public slots:
    void applicationAvailable()
    {
        Strobase::init(QString(), QUrl(), QCoreApplication::applicationDirPath() + QStringLiteral("/tgrc"));
    }
    void qmlEngineAvailable(QQmlEngine* engine)
    {
        engine->addImportPath(QCoreApplication::applicationDirPath() + QStringLiteral("/qml"));
        qmlRegisterType<VmAppDelegate>("VmAppDelegate", 1, 0, "VmAppDelegate");
        engine->rootContext()->setContextProperty(QStringLiteral("tAppDelegate"), &m_delegate);
        engine->rootContext()->setContextProperty(QStringLiteral("binFolder"),
                                                  QUrl::fromLocalFile(QCoreApplication::applicationDirPath()));
    }

private:
    VmAppDelegate m_delegate;
};

QUICK_TEST_MAIN_WITH_SETUP(shell_qml, Setup)

#include "ShellQmlTestMain.moc"
