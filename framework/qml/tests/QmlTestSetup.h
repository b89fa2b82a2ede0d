#pragma once
// What the Qt Quick test runners share with the program: its OpenGL
// defaults, the framework's data folder, its QML folder. Runners add their
// context objects in publish().
#include <Strobase.h>

#include <QCoreApplication>
#include <QQmlContext>
#include <QQmlEngine>

class QmlTestSetup : public QObject {
    Q_OBJECT
public:
    QmlTestSetup()
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
        publish(engine->rootContext());
    }

protected:
    virtual void publish(QQmlContext*) {}
};
