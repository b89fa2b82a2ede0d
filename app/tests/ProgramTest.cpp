// The program started as a user would, under the test's X display; message
// boxes are answered through the window system with xdotool.
#include "AppStart.h"
#include "ProgramFixture.h"

#include <csignal>


TEST_F(Program, UnsupportedImagesAreRefusedWithABox)
{
    for (const char* name : {"photo.bmp", "photo", "archive.tar.gz"}) {
        QProcess* p = start({QLatin1String(name)});
        const QString box = windowOf(p);
        ASSERT_FALSE(box.isEmpty()) << name;
        EXPECT_EQ(xdotool({"getwindowname", box}), QStringLiteral("Velmora Strovane 2")) << name;
        press(box, "Return");
        ASSERT_TRUE(p->waitForFinished(15000)) << name;
        EXPECT_EQ(p->exitCode(), 255) << name << ": exit code -1";
    }
}

TEST_F(Program, PluginNameWithoutTheExchangeLoadsNothing)
{
    QProcess* p = start({"photo.bmp"}, QStringLiteral("Velmora_Strovane"));
    ASSERT_TRUE(p->waitForFinished(15000));
    EXPECT_EQ(p->exitCode(), 255) << "plug-in mode whatever follows; no exchange to attach to";
}

TEST_F(Program, ASecondCopyIsRefusedAndACrashedOneDoesNotBlock)
{
    QProcess* first = start({"photo.Tif"});
    const QString window = windowOf(first);
    ASSERT_FALSE(window.isEmpty());
    EXPECT_EQ(xdotool({"getwindowname", window}), QStringLiteral("Velmora Strovane 2 V2.0.5"));

    QProcess* second = start({});
    const QString box = windowOf(second);
    ASSERT_FALSE(box.isEmpty());
    press(box, "Return");
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running) << "the first copy is not disturbed";

    ::kill(pid_t(first->processId()), SIGKILL);
    first->waitForFinished(5000);
    QProcess* third = start({});
    const QString thirdWindow = windowOf(third);
    ASSERT_FALSE(thirdWindow.isEmpty());
    EXPECT_EQ(xdotool({"getwindowname", thirdWindow}), QStringLiteral("Velmora Strovane 2 V2.0.5"))
        << "the main window, not the already-running box";
    EXPECT_EQ(third->state(), QProcess::Running);
}

TEST_F(Program, TwoStartsAtTheSameMomentLeaveExactlyOneCopy)
{
    for (int round = 0; round < 10; ++round) {
        QProcess* a = start({"photo.Tif"});
        QProcess* b = start({"photo.Tif"});
        // The loser shows the box; answered, it ends with 0.
        QProcess* loser = nullptr;
        for (int i = 0; i < 150 && !loser; ++i) {
            for (QProcess* p : {a, b}) {
                // The box comes before the application has its name.
                const QString ids = xdotool({"search", "--onlyvisible", "--pid", QString::number(p->processId())}, 2000);
                for (const QString& id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                    if (xdotool({"getwindowname", id}) == QStringLiteral("vmstrovane2"))
                        loser = p;
            }
            if (!loser)
                QThread::msleep(100);
        }
        ASSERT_NE(loser, nullptr) << "round " << round << ": one of the two is told that the other runs";
        QProcess* winner = loser == a ? b : a;
        press(windowOf(loser), "Return");
        ASSERT_TRUE(loser->waitForFinished(15000)) << "round " << round;
        EXPECT_EQ(loser->exitCode(), 0) << "round " << round;
        // The loser has ended: every main window is the winner's, which
        // may still be on its way on a busy machine.
        auto mainWindows = [] {
            return xdotool({"search", "--onlyvisible", "--name", "^Velmora Strovane 2 V2.0.5$"}, 2000)
                .split('\n', Qt::SkipEmptyParts)
                .size();
        };
        int shown = mainWindows();
        for (int i = 0; i < 150 && shown != 1; ++i) {
            QThread::msleep(200);
            shown = mainWindows();
        }
        EXPECT_EQ(shown, 1) << "round " << round << ": the other copy reaches its main window, the one there is";
        EXPECT_EQ(winner->state(), QProcess::Running) << "round " << round;
        winner->kill();
        winner->waitForFinished(5000);
    }
}

TEST_F(Program, ALockFileNoCopyHoldsIsTakenOver)
{
    // Left by a copy that died: empty, unreadable, or naming a process of
    // another host.
    const QString lock = environment.value("XDG_RUNTIME_DIR") + "/" + AppStart::singleInstanceKey() + ".lock";
    const QList<QByteArray> leftovers{QByteArray(), QByteArray("\xff\xfe\x00garbage", 10),
                                      QByteArray("999999\nvmstrovane2\nanother-host\n")};
    for (const QByteArray& contents : leftovers) {
        QFile file(lock);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
        file.close();
        QProcess* p = start({"photo.Tif"});
        const QString window = windowOf(p);
        ASSERT_FALSE(window.isEmpty());
        EXPECT_EQ(xdotool({"getwindowname", window}), QStringLiteral("Velmora Strovane 2 V2.0.5"))
            << contents.toHex().constData() << ": the main window, not the already-running box";
        p->kill();
        p->waitForFinished(5000);
    }
}
