// vmstrovane2: the program. Standalone it opens and saves photographs; as
// an external editor it paints the file another application hands it; the
// Photoshop filter plug-in starts it under the name "Velmora_Strovane".

#include "AppStart.h"
#include "PSExchange.h"
#include "PSImageData.h"
#include "SilentReplay.h"
#include "SingleApplication.h"
#include "VmAppDelegate.h"
#include "VmUpdateManager.h"

#include <Strobase.h>

#include <QDebug>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMessageBox>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The root window of the loaded main document, handed to the delegate; null
// when the document has none.
QQuickWindow* loadMainWindow(QQmlApplicationEngine& engine, VmAppDelegate& delegate)
{
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    QQuickWindow* window =
        engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (!window) {
        qWarning() << "Error: Your root item has to be a Window.";
        return nullptr;
    }
    delegate.setMainWindow(window);
    QObject::connect(window, &QWindow::screenChanged, &delegate, &VmAppDelegate::onScreenChanged, Qt::QueuedConnection);
    return window;
}

// The documents go while everything they use (the delegate, the exchange)
// is still there.
void tearDownQml(QQmlApplicationEngine& engine)
{
    const QList<QObject*> roots = engine.rootObjects();
    qDeleteAll(roots);
}

// Started by the filter plug-in: the host image comes and goes through the
// exchange segments; the outcome is written back for the plug-in.
int runAsPlugin(QApplication& app, QQmlApplicationEngine& engine, VmAppDelegate& delegate)
{
    qDebug() << "Invoked as PS Plugin";
    delegate.setEditorMode(VmAppDelegate::PhotoshopPlugin);
    PSExchange exchange;
    switch (exchange.attach()) {
    case PSExchange::Outcome::Ready:
        break;
    case PSExchange::Outcome::NoPlugin:
        qWarning().noquote() << exchange.error();
        std::fprintf(stderr, "%s\n", qPrintable(exchange.error()));
        return -1;
    case PSExchange::Outcome::Refused:
        return -1;
    }
    delegate.setSilentMode(exchange.silent());
    std::unique_ptr<PSImageData> image(new PSImageData(exchange.record(), exchange.plane(0), exchange.plane(1),
                                                       exchange.plane(2), exchange.profile(), exchange.presetBlock()));
    engine.rootContext()->setContextProperty(QStringLiteral("tPSImageData"), image.get());

    // A host that is gone waits for nothing: its names go at once (nobody
    // else would remove them), and so does the program.
    QTimer hostWatch;
    QObject::connect(&hostWatch, &QTimer::timeout, [&] {
        if (!exchange.hostGone())
            return;
        hostWatch.stop();
        qWarning() << "The host that started the program has ended; closing.";
        exchange.removeNames();
        delegate.setErrorCode(VmAppDelegate::ERR_USERCANCELLED);
        QCoreApplication::exit(0);
    });
    hostWatch.start(500);

    int result = 0;
    if (delegate.silentMode()) {
        const int replayed = SilentReplay::run(engine, delegate, *image);
        if (!exchange.hostGone())
            delegate.setErrorCode(VmAppDelegate::ErrorCode(replayed));
    } else {
        if (!loadMainWindow(engine, delegate)) {
            image.reset();
            exchange.destroy();
            return -1;
        }
        result = app.exec();
        tearDownQml(engine);
    }
    exchange.finish(delegate.errorCode());
    qWarning() << "Program returns back to Photoshop.";
    Strobase::shutDown();
    image.reset();
    exchange.destroy();
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    Strobase::setOpenGLDefaults();

    SingleApplication app(argc, argv, AppStart::singleInstanceKey());
    const AppStart::Mode mode = AppStart::chooseMode(app.arguments().value(0), app.arguments().mid(1));
    if (app.isRunning()) {
        // A host waits for the exchange's answer, perhaps in a batch: it
        // gets the reason at once, and no box that nobody may see.
        if (mode == AppStart::Mode::PhotoshopPlugin) {
            PSExchange exchange;
            if (exchange.attach() == PSExchange::Outcome::Ready)
                exchange.refuse(QObject::tr("This application is already running !") + QStringLiteral("\n")
                                + QObject::tr("Can't start more than one instance."));
            return 0;
        }
        // An image this copy was given opens in the copy that runs.
        if (mode == AppStart::Mode::ExternalEditor && AppStart::isSupportedImage(app.arguments().value(1)))
            app.sendMessage(QFileInfo(app.arguments().value(1)).absoluteFilePath());
        QMessageBox box(QMessageBox::Critical, QString(),
                        QObject::tr("This application is already running !") + QStringLiteral("\n")
                            + QObject::tr("Can't start more than one instance."));
        box.exec();
        return 0;
    }
    QCoreApplication::setOrganizationDomain(QStringLiteral("com.velmora-labs"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora Labs"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora Strovane 2"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.5"));

    const float fontScale = AppStart::fontScale(QFontMetrics(QGuiApplication::font()).maxWidth());

    VmUpdateManager updates(QCoreApplication::applicationName(), QCoreApplication::applicationVersion());
    // Its question is modal: only a user at a standalone copy may see it.
    // Other modes leave the day's check to the next standalone start.
    if (mode == AppStart::Mode::Standalone && updates.isCheckDue())
        updates.checkForUpdate();

    QQmlApplicationEngine engine;
    // The project's QML modules lie beside the program, built or installed.
    engine.addImportPath(QCoreApplication::applicationDirPath() + QStringLiteral("/qml"));
    engine.rootContext()->setContextProperty(QStringLiteral("fontScale"), QVariant::fromValue(fontScale));
    // Read before the window's settings object writes its defaults.
    engine.rootContext()->setContextProperty(QStringLiteral("windowPlaceKept"),
                                             QSettings().contains(QStringLiteral("appMain/vmMain_width")));
    qmlRegisterType<VmAppDelegate>("VmAppDelegate", 1, 0, "VmAppDelegate");

    Strobase::init(AppStart::dataFolder(), QUrl(), AppStart::tgrcFolder());

    VmAppDelegate delegate;
    engine.rootContext()->setContextProperty(QStringLiteral("tAppDelegate"), &delegate);
    app.installEventFilter(&delegate);
    QObject::connect(&app, &SingleApplication::messageAvailable, &delegate, &VmAppDelegate::receiveHandOver);
    qDebug() << "Arguments: " << app.arguments();

    const QStringList arguments = app.arguments().mid(1);
    if (mode == AppStart::Mode::PhotoshopPlugin)
        return runAsPlugin(app, engine, delegate);

    delegate.setEditorMode(VmAppDelegate::Standalone);
    delegate.setSilentMode(false);
    if (!arguments.isEmpty()) {
        const QString path = arguments.first();
        if (!AppStart::isSupportedImage(path)) {
            QMessageBox::critical(nullptr, QObject::tr(qPrintable(QCoreApplication::applicationName())),
                                  QObject::tr("Unsupported Image Format.\nOnly JPEG, TIF, and PNG formats are supported."),
                                  QMessageBox::Ok);
            return -1;
        }
        delegate.setEditorMode(VmAppDelegate::ExternalEditor);
        delegate.setFileName(path);
    }

    if (!loadMainWindow(engine, delegate))
        return -1;
    const int execReturn = app.exec();
    qDebug() << "app.exec() execReturn=" << execReturn;
    tearDownQml(engine);
    Strobase::shutDown();
    return execReturn;
}
