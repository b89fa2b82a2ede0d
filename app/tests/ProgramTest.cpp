// The program started as a user would, under the test's X display; message
// boxes are answered through the window system with xdotool.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <vector>

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        // No update check reaches the network.
        environment.insert("STROVANE_UPDATE_URL", "http://127.0.0.1:1/updates/velmorastrovane2_win.txt");
    }
    void TearDown() override
    {
        for (auto& p : started) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // Starts the program; programName stands in for its name on the command line.
    QProcess* start(const QStringList& args, const QString& programName = QString())
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (programName.isEmpty()) {
            p->start(QStringLiteral(VMSTROVANE2), args);
        } else {
            p->start(QStringLiteral("bash"), QStringList{"-c", "exec -a \"$0\" \"$@\"", programName, VMSTROVANE2} + args);
        }
        p->waitForStarted();
        started.push_back(std::move(p));
        return started.back().get();
    }

    static QString xdotool(const QStringList& args, int timeoutMs = 20000)
    {
        QProcess x;
        x.start(QStringLiteral("xdotool"), args);
        x.waitForFinished(timeoutMs);
        return QString::fromUtf8(x.readAllStandardOutput()).trimmed();
    }
    // The first visible window of a process, waiting for it to appear.
    static QString windowOf(QProcess* p)
    {
        for (int i = 0; i < 100; ++i) {
            const QString id = xdotool({"search", "--onlyvisible", "--pid", QString::number(p->processId())}, 2000)
                                   .section(QLatin1Char('\n'), 0, 0);
            if (!id.isEmpty())
                return id;
            QThread::msleep(200);
        }
        return QString();
    }
    static void press(const QString& window, const char* key)
    {
        xdotool({"windowfocus", "--sync", window, "key", QLatin1String(key)});
    }

    QTemporaryDir home;
    QProcessEnvironment environment;
    std::vector<std::unique_ptr<QProcess>> started;
};

} // namespace

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
