// Qt Quick Test runner for the history shell's documents, with the
// program's delegate and OpenGL defaults and its QML folder.
#include "QmlTestSetup.h"
#include "VmAppDelegate.h"

#include <QtQuickTest>

class Setup : public QmlTestSetup {
    Q_OBJECT
protected:
    void publish(QQmlContext* context) override
    {
        qmlRegisterType<VmAppDelegate>("VmAppDelegate", 1, 0, "VmAppDelegate");
        context->setContextProperty(QStringLiteral("tAppDelegate"), &m_delegate);
        context->setContextProperty(QStringLiteral("binFolder"), QUrl::fromLocalFile(QCoreApplication::applicationDirPath()));
    }

private:
    VmAppDelegate m_delegate;
};

QUICK_TEST_MAIN_WITH_SETUP(shell_qml, Setup)

#include "ShellQmlTestMain.moc"
