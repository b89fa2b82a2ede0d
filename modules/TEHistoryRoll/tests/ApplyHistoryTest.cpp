// The apply history: its notification rules as a table of cases, its worker
// through the framework's request path, and the module as QML loads it.
#include "HistoryModule.h"
#include "TApplyHistory.h"

#include <Strobase.h>
#include <TEFactory.h>
#include <TGLWorkerThread.h>
#include <TPreviewHub.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTimer>

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>
#include <thread>
#include <memory>

namespace {

TSMat image(int shade)
{
    return TSMat(cv::Mat(6, 8, CV_8UC3, cv::Scalar(shade, 255 - shade, 40)));
}

// Every change signal of the history, by name, in the order emitted.
struct Recorder {
    explicit Recorder(TApplyHistory& h)
    {
        QObject::connect(&h, &TApplyHistory::canForwardChanged, [this] { names << "canForward"; });
        QObject::connect(&h, &TApplyHistory::canBackwardChanged, [this] { names << "canBackward"; });
        QObject::connect(&h, &TApplyHistory::currentIdxChanged, [this] { names << "currentIdx"; });
        QObject::connect(&h, &TApplyHistory::countChanged, [this] { names << "count"; });
        QObject::connect(&h, &TApplyHistory::outputTextChanged, [this] { names << "outputText"; });
        QObject::connect(&h, &TEffect::outputChanged, [this] { names << "output"; });
    }
    QStringList names;
};

} // namespace

TEST(ApplyHistory, NotificationRules)
{
    const TSMat a = image(10), b = image(120), c = image(200);
    using Op = std::function<void(TApplyHistory&)>;
    struct Case {
        const char* what;
        Op setUp;
        Op action;
        int idx, count;
        bool canForward, canBackward;
        QString text;
        const TSMat* output; // null: empty
        QStringList signalNames;
    } cases[] = {
        {"new history", [](TApplyHistory&) {}, [](TApplyHistory&) {}, -1, 0, false, false, "", nullptr, {}},
        {"one push", [](TApplyHistory&) {}, [&](TApplyHistory& h) { h.push(a, "a.jpg"); }, 0, 1, false, false, "a.jpg", &a,
         {"currentIdx", "count", "output", "outputText"}},
        {"second push", [&](TApplyHistory& h) { h.push(a, "a.jpg"); }, [&](TApplyHistory& h) { h.push(b, "applied"); },
         1, 2, false, true, "applied", &b, {"currentIdx", "count", "canBackward", "output", "outputText"}},
        {"two pushes, one step back", [&](TApplyHistory& h) { h.push(a, "a.jpg"); h.push(b, "applied"); },
         [](TApplyHistory& h) { h.backward(); }, 0, 2, true, false, "a.jpg", &a,
         {"currentIdx", "count", "canForward", "canBackward", "output", "outputText"}},
        {"and forward again", [&](TApplyHistory& h) { h.push(a, "a.jpg"); h.push(b, "applied"); h.backward(); },
         [](TApplyHistory& h) { h.forward(); }, 1, 2, false, true, "applied", &b,
         {"currentIdx", "count", "canForward", "canBackward", "output", "outputText"}},
        {"backward at index 0", [&](TApplyHistory& h) { h.push(a, "a.jpg"); }, [](TApplyHistory& h) { h.backward(); },
         0, 1, false, false, "a.jpg", &a, {}},
        {"backward on a new history", [](TApplyHistory&) {}, [](TApplyHistory& h) { h.backward(); }, -1, 0, false, false, "",
         nullptr, {}},
        {"forward at the last entry", [&](TApplyHistory& h) { h.push(a, "a.jpg"); h.push(b, "applied"); },
         [](TApplyHistory& h) { h.forward(); }, 1, 2, false, true, "applied", &b, {}},
        {"clear on an empty history", [](TApplyHistory&) {}, [](TApplyHistory& h) { h.clear(); }, -1, 0, false, false, "",
         nullptr, {}},
        {"clear on a filled history", [&](TApplyHistory& h) { h.push(a, "a.jpg"); },
         [](TApplyHistory& h) { h.clear(); }, -1, 0, false, false, "", nullptr,
         {"currentIdx", "count", "canForward", "canBackward", "output", "outputText"}},
        {"push with the current text", [&](TApplyHistory& h) { h.push(a, "applied"); },
         [&](TApplyHistory& h) { h.push(b, "applied"); }, 1, 2, false, true, "applied", &b,
         {"currentIdx", "count", "canBackward", "output"}},
        {"push after a step back drops what followed", [&](TApplyHistory& h) { h.push(a, "a.jpg"); h.push(b, "applied"); h.backward(); },
         [&](TApplyHistory& h) { h.push(c, "again"); }, 1, 2, false, true, "again", &c,
         {"currentIdx", "count", "canForward", "canBackward", "output", "outputText"}},
    };
    for (const Case& k : cases) {
        TApplyHistory history;
        k.setUp(history);
        Recorder recorder(history);
        k.action(history);
        EXPECT_EQ(history.currentIdx(), k.idx) << k.what;
        EXPECT_EQ(history.count(), k.count) << k.what;
        EXPECT_EQ(history.canForward(), k.canForward) << k.what;
        EXPECT_EQ(history.property("canForward").toBool(), k.canForward) << k.what;
        EXPECT_EQ(history.canBackward(), k.canBackward) << k.what;
        EXPECT_EQ(history.outputText(), k.text) << k.what;
        EXPECT_EQ(history.output().uid(), k.output ? k.output->uid() : 0u) << k.what;
        EXPECT_EQ(history.input().uid(), history.output().uid()) << k.what << ": the input follows";
        EXPECT_EQ(recorder.names, k.signalNames) << k.what << ": " << recorder.names.join(' ').toStdString();
    }
}

TEST(ApplyHistory, SignalsAreDeclaredInTheirOrder)
{
    const QMetaObject& mo = TApplyHistory::staticMetaObject;
    QStringList own;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        if (mo.method(i).methodType() == QMetaMethod::Signal)
            own << QString::fromLatin1(mo.method(i).name());
    EXPECT_EQ(own, QStringList({"canForwardChanged", "canBackwardChanged", "currentIdxChanged", "countChanged",
                                "outputTextChanged"}));
}

TEST(ApplyHistory, PreviewIsTheCurrentImageOnTheViewItFeeds)
{
    Strobase::init(QString(), QUrl(), QString());
    registerHistoryClasses();
    std::unique_ptr<TApplyHistory> history(
        static_cast<TApplyHistory*>(TEFactory::createEffect(QStringLiteral("TApplyHistory"))));
    ASSERT_TRUE(history);
    const QString viewer = TPreviewHub::newViewerUid();
    history->setPreviewerUid(viewer);
    cv::Mat picture(30, 40, CV_8UC3);
    cv::randu(picture, 0, 255);
    history->push(TSMat(picture), QStringLiteral("a.png"));
    history->setDecimation(2);

    QEventLoop loop;
    QObject::connect(history.get(), &TEffect::procFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    history->procPreview();
    loop.exec();

    const TSFbo shown = TPreviewHub::instance()->latest(viewer);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.size(), QSize(20, 15)) << "at the effect's decimation";
    EXPECT_EQ(shown.internalFormat(), GLenum(0x8C3A));
    EXPECT_EQ(history->output().uid(), history->input().uid()) << "a preview does not replace the result";
    // Read back here only to compare: a 2 x 2 average of the picture.
    cv::Mat expected;
    cv::resize(picture, expected, cv::Size(20, 15), 0, 0, cv::INTER_AREA);
    cv::Mat got;
    TGLWorkerThread::instance()->runBlocking([&] { got = shown.dataToMat(CV_8UC3, true, true); });
    EXPECT_LE(cv::norm(got, expected, cv::NORM_INF), 4);
    history.reset();
    Strobase::shutDown();
}

TEST(ApplyHistory, ImportingTheModuleRegistersTheTypeAndTheEffect)
{
    QQmlEngine engine;
    engine.addImportPath(QCoreApplication::applicationDirPath() + QStringLiteral("/qml"));
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.5\nimport TEHistoryRoll 1.0\nTApplyHistory { previewerUid: \"v\" }", QUrl());
    std::unique_ptr<QObject> history(component.create());
    ASSERT_TRUE(history) << component.errorString().toStdString();
    EXPECT_EQ(history->property("currentIdx").toInt(), -1);
    EXPECT_EQ(history->property("previewerUid").toString(), QStringLiteral("v"));
    EXPECT_TRUE(TEFactory::isRegistered(QStringLiteral("TApplyHistory")));
    EXPECT_EQ(QMetaType::type("TSMat"), qMetaTypeId<TSMat>());
}

// Two effects paint into one view (the shell's photo, the painting over
// it): whichever was asked last is shown, also when an older preview of the
// other was still waiting.
TEST(ApplyHistory, ViewShowsThePreviewAskedForLast)
{
    Strobase::init(QString(), QUrl(), QString());
    registerHistoryClasses();
    auto make = [](int shade) {
        std::unique_ptr<TApplyHistory> h(static_cast<TApplyHistory*>(TEFactory::createEffect(QStringLiteral("TApplyHistory"))));
        h->push(image(shade), QStringLiteral("x.png"));
        return h;
    };
    std::unique_ptr<TApplyHistory> photo = make(10), painting = make(200);
    const QString viewer = TPreviewHub::newViewerUid();
    photo->setPreviewerUid(viewer);
    painting->setPreviewerUid(viewer);

    // Hold the GL thread so that the requests wait in its queue.
    TGLWorkerThread* glThread = TGLWorkerThread::instance();
    QMutex gate;
    gate.lock();
    std::atomic<bool> held{false};
    std::thread holder([&] {
        glThread->runBlocking([&] {
            held = true;
            QMutexLocker wait(&gate);
        });
    });
    while (!held)
        QThread::yieldCurrentThread();
    painting->procPreview(); // an older painting, still waiting
    photo->procPreview();    // a new photo arrives
    painting->procPreview(); // and its painting is asked for
    gate.unlock();
    holder.join();

    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!photo->isBusy() && !painting->isBusy())
            loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();

    EXPECT_EQ(TPreviewHub::instance()->latest(viewer).uid(), painting->preview().uid());
    photo.reset();
    painting.reset();
    Strobase::shutDown();
}
