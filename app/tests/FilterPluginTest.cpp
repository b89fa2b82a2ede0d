// The filter plug-in in our test host with the real program: the host runs
// the filter on an image file, the plug-in starts the program, and the
// test works the program's window with xdotool as a user would.
#include "ExchangeSegments.h"
#include "ImageDifference.h"
#include "ProgramFixture.h"

#include <QFile>
#include <QSettings>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <csignal>

namespace {

const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");
struct Build {
    const char* host;
    const char* plugin;
};
const Build k64{"strovane-pshost", "vmstrovane2ps_x64.so"};
const Build k32{"strovane-pshost32", "vmstrovane2ps.so"};

class FilterPlugin : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        ExchangeSegments::removeAll();
        settleAsReturningUser();
        // Where the plug-in finds the program.
        installAt(QStringLiteral(BIN_DIR));
        environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
        environment.insert("VMTRACE", "1");
        QDir(home.path()).mkpath("docs");
        environment.insert("XDG_DOCUMENTS_DIR", home.filePath("docs"));

        const cv::Mat example = cv::imread(BIN_DIR "/Resources/images/example.jpg");
        cv::resize(example, photo, cv::Size(333, 208), 0, 0, cv::INTER_AREA);
    }
    void installAt(const QString& folder)
    {
        QDir(home.path()).mkpath("xdg/Velmora Labs");
        QSettings system(home.filePath("xdg/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
        system.setValue("InstallPath", folder);
        system.sync();
    }
    // Writes the image as the host's input file.
    QString input(const cv::Mat& image, const char* name)
    {
        const QString path = home.filePath(QLatin1String(name));
        EXPECT_TRUE(cv::imwrite(path.toStdString(), image));
        return path;
    }
    // Runs the host; what it and the program print goes to a file (the
    // program may outlive the host).
    QProcess* runHost(const Build& build, const QStringList& args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        logFile = home.filePath(QStringLiteral("host%1.log").arg(started.size()));
        // Both appended: the program writes into the same file, and neither
        // may write over the other.
        p->setStandardOutputFile(logFile, QIODevice::Append);
        p->setStandardErrorFile(logFile, QIODevice::Append);
        p->start(QStringLiteral(BIN_DIR "/") + build.host,
                 QStringList{QStringLiteral(BIN_DIR "/") + build.plugin} + args);
        p->waitForStarted();
        started.push_back(std::move(p));
        return started.back().get();
    }
    QString hostLog() const
    {
        QFile f(logFile);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }
    bool waitForHostLog(const QString& text, int timeoutMs = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!hostLog().contains(text) && timer.elapsed() < timeoutMs)
            QThread::msleep(100);
        return hostLog().contains(text);
    }
    int finished(QProcess* p, int timeoutMs = 120000)
    {
        EXPECT_TRUE(p->waitForFinished(timeoutMs)) << hostLog().toStdString();
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << hostLog().toStdString();
        return p->exitCode();
    }
    // The program's painting module is up with the host's picture.
    QString programWindow()
    {
        EXPECT_TRUE(waitForHostLog("input changed inside module")) << hostLog().toStdString();
        QThread::msleep(1500);
        return windowNamed(kMainTitle);
    }
    // The program's window went away (its process is the host's child, so
    // only the window tells).
    bool programGone()
    {
        for (int i = 0; i < 100 && !windowNamed(kMainTitle, 200).isEmpty(); ++i)
            QThread::msleep(100);
        return windowNamed(kMainTitle, 500).isEmpty();
    }
    QString trace() const
    {
        QFile f(home.filePath("docs/vmtrace.txt"));
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }
    // Runs the filter from the menu and applies it in the program's window.
    void applyThroughHost(const Build& build, const QStringList& args)
    {
        QProcess* host = runHost(build, args);
        const QString window = programWindow();
        ASSERT_FALSE(window.isEmpty()) << hostLog().toStdString();
        press(window, "Return");
        EXPECT_EQ(finished(host), 0);
    }
    // Whether this machine runs the build's programs at all.
    static bool runs(const Build& build)
    {
        QProcess probe;
        probe.start(QStringLiteral(BIN_DIR "/") + build.host, QStringList{});
        return QFile::exists(QStringLiteral(BIN_DIR "/") + build.plugin) && probe.waitForFinished(10000)
               && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 2;
    }

    void paintsInsideTheSelectionOnly(const Build& build);

    cv::Mat photo;
    QString logFile;
};

} // namespace

void FilterPlugin::paintsInsideTheSelectionOnly(const Build& build)
{
    cv::Mat photo16, gray;
    photo.convertTo(photo16, CV_16U, 257.0);
    cv::cvtColor(photo, gray, cv::COLOR_BGR2GRAY);
    const cv::Rect selection(40, 30, 220, 140);
    struct Case {
        const char* what;
        cv::Mat image;
        const char* file;
        bool select;
        QStringList requestsIn; // what the plug-in must ask for
        int readRequests, writeRequests;
    } cases[] = {
        {"8-bit RGB with a selection", photo, "rgb8.ppm", true,
         {"request in planes 0-0 rect 40,30,260,170", "request in planes 2-2 rect 40,30,260,170"}, 3, 3},
        {"16-bit RGB, the whole image", photo16, "rgb16.ppm", false,
         {"request in planes 0-0 rect 0,0,333,1 padding -3 rate 1.00",
          "request in planes 2-2 rect 0,207,333,208 padding -3 rate 1.00"},
         3 * 208, 3},
        {"gray, the whole image", gray, "gray.pgm", false, {"request in planes 0-0 rect 0,0,333,1"}, 208, 1},
    };
    for (const Case& c : cases) {
        const QString in = input(c.image, c.file), out = home.filePath(QStringLiteral("out-") + c.file);
        QStringList args{in, out};
        if (c.select)
            args << "--rect" << "40,30,260,170";
        applyThroughHost(build, args);
        const QString log = hostLog();
        EXPECT_TRUE(log.contains("selector 3 result 0")) << c.what << log.toStdString();
        for (const QString& request : c.requestsIn)
            EXPECT_TRUE(log.contains(request)) << c.what << ": " << request.toStdString();
        EXPECT_EQ(log.count("request in "), c.readRequests) << c.what;
        EXPECT_EQ(log.count("request out "), c.writeRequests) << c.what;
        if (c.image.channels() == 1) {
            EXPECT_FALSE(log.contains("planes 1-1") || log.contains("planes 2-2")) << "gray sends plane 0 only";
        }
        EXPECT_TRUE(log.contains(QRegularExpression("preset \"[0-9a-f-]{36}\""))) << c.what << ": the applied preset's id";

        const cv::Mat before = cv::imread(in.toStdString(), cv::IMREAD_UNCHANGED);
        const cv::Mat after = cv::imread(out.toStdString(), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(after.size(), before.size()) << c.what;
        ASSERT_EQ(after.type(), before.type()) << c.what;
        const cv::Rect area = c.select ? selection : cv::Rect(0, 0, before.cols, before.rows);
        EXPECT_GT(meanDifference(after(area), before(area)), 2.0) << c.what << ": painted";
        if (c.select) {
            cv::Mat outside = cv::Mat::ones(before.size(), CV_8U);
            outside(selection).setTo(0);
            cv::Mat diff;
            cv::absdiff(after, before, diff);
            diff.setTo(cv::Scalar::all(0), 1 - outside);
            EXPECT_EQ(cv::countNonZero(diff.reshape(1)), 0) << c.what << ": nothing outside the selection";
        }
        EXPECT_FALSE(ExchangeSegments::anyLeft()) << c.what;
    }
}

TEST_F(FilterPlugin, ThePaintingComesBackIntoTheHost)
{
    paintsInsideTheSelectionOnly(k64);
}

TEST_F(FilterPlugin, The32BitPluginExchangesWithTheProgramToo)
{
    if (!runs(k32))
        GTEST_SKIP() << "this machine does not run 32-bit programs (or has no 32-bit toolchain)";
    paintsInsideTheSelectionOnly(k32);
}

TEST_F(FilterPlugin, EscapeInTheHostLeavesTheImageAndRemovesTheSegments)
{
    const QString in = input(photo, "photo.ppm"), out = home.filePath("out.ppm");
    QProcess* host = runHost(k64, {in, out, "--cancel-after", "6000"});
    const QString window = programWindow();
    ASSERT_FALSE(window.isEmpty()) << hostLog().toStdString();
    EXPECT_EQ(finished(host), 0);
    EXPECT_TRUE(trace().contains("PB-IPC OutStatus - 255")) << trace().toStdString();
    EXPECT_TRUE(trace().contains("PB-doStart() - Error: plug-in has crashed."));
    EXPECT_EQ(meanDifference(cv::imread(out.toStdString()), cv::imread(in.toStdString())), 0.0) << "unchanged";
    EXPECT_TRUE(hostLog().contains("selector 3 result -128")) << "a cancel";
    EXPECT_FALSE(hostLog().contains("Cannot Proceed")) << "a cancel needs no message";
    EXPECT_FALSE(ExchangeSegments::anyLeft()) << "the names are gone";

    // The test host ends after the filter: its program follows it.
    ASSERT_TRUE(waitForHostLog("Program returns back to Photoshop.")) << hostLog().toStdString();
    EXPECT_TRUE(programGone());
    EXPECT_FALSE(hostLog().contains("Segmentation fault")) << hostLog().toStdString();
}

TEST_F(FilterPlugin, AHostKilledWhileTheProgramRunsLeavesNothing)
{
    QProcess* host = runHost(k64, {input(photo, "photo.ppm"), home.filePath("out.ppm")});
    ASSERT_FALSE(programWindow().isEmpty()) << hostLog().toStdString();
    ::kill(pid_t(host->processId()), SIGKILL);
    host->waitForFinished(5000);
    EXPECT_TRUE(programGone()) << "the program closes when its host is gone";
    EXPECT_TRUE(hostLog().contains("The host that started the program has ended")) << hostLog().toStdString();
    for (int i = 0; i < 50 && ExchangeSegments::anyLeft(); ++i)
        QThread::msleep(100);
    EXPECT_FALSE(ExchangeSegments::anyLeft()) << "no name is left behind";
}

TEST_F(FilterPlugin, AFailureOrACrashOfTheProgramIsAnErrorWithItsReason)
{
    const QString fake = home.filePath("fake");
    QDir().mkpath(fake);
    ASSERT_TRUE(QFile::link(QStringLiteral(FAKE_PROGRAM), fake + "/vmstrovane2"));
    installAt(fake);
    struct Case {
        const char* answer;
        const char* message;
    } cases[] = {
        {"fail", "The painting failed: the test said so."},
        {"crash", "The painting program ended without answering."},
    };
    for (const Case& c : cases) {
        environment.insert("STROVANE_FAKE_ANSWER", c.answer);
        const QString in = input(photo, "photo.ppm"), out = home.filePath(QStringLiteral("out-%1.ppm").arg(c.answer));
        QProcess* host = runHost(k64, {in, out});
        EXPECT_EQ(finished(host, 30000), 0) << c.answer;
        EXPECT_TRUE(hostLog().contains(QStringLiteral("message \"Cannot Proceed\" \"%1\"").arg(c.message)))
            << c.answer << hostLog().toStdString();
        EXPECT_TRUE(hostLog().contains("selector 3 result -128")) << c.answer << ": not a success";
        EXPECT_EQ(meanDifference(cv::imread(out.toStdString()), photo), 0.0) << c.answer << ": the image as it was";
        EXPECT_FALSE(ExchangeSegments::anyLeft()) << c.answer;
    }
}

TEST_F(FilterPlugin, AnAnswerWithALyingLayoutIsHarmless)
{
    const QString fake = home.filePath("fake");
    QDir().mkpath(fake);
    ASSERT_TRUE(QFile::link(QStringLiteral(FAKE_PROGRAM), fake + "/vmstrovane2"));
    installAt(fake);
    environment.insert("STROVANE_FAKE_ANSWER", "lying");
    const QString in = input(photo, "photo.ppm"), out = home.filePath("out.ppm");
    QProcess* host = runHost(k64, {in, out});
    EXPECT_EQ(finished(host, 30000), 0) << "no crash";
    EXPECT_TRUE(hostLog().contains("selector 3 result 0")) << hostLog().toStdString();
    EXPECT_EQ(meanDifference(cv::imread(out.toStdString()), photo), 0.0)
        << "the planes read back in the host's own layout: all three, as they were";
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(FilterPlugin, StaleNamesOrASecondExchangeAreRefusedNeverCrossed)
{
    // Another user's names, as a "touch" of theirs leaves them: directories,
    // which nobody here can open or remove.
    const QStringList othersNames{"/dev/shm/__velmoraEffects_plane2Info-65534", "/dev/shm/__velmoraEffects_param-65534",
                                  "/dev/shm/__velmoraEffects_lock-65534"};
    for (const QString& name : othersNames)
        ASSERT_TRUE(QDir().mkpath(name)) << name.toStdString();
    // A recorded action: the replay paints without a window.
    QFile state(home.filePath("action.state"));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write("descriptor=64697270" "04" + QByteArray("none").toHex() + "\n");
    state.close();
    const QString in = input(photo, "photo.ppm");
    QProcess* host = runHost(k64, {in, home.filePath("replayed.ppm"), "--state", state.fileName(), "--replay", "off"});
    EXPECT_EQ(finished(host), 0);
    EXPECT_TRUE(hostLog().contains("selector 3 result 0")) << "other users' names are no concern of ours"
                                                           << hostLog().toStdString();
    EXPECT_GT(meanDifference(cv::imread(home.filePath("replayed.ppm").toStdString()), photo), 2.0);
    for (const QString& name : othersNames)
        QDir().rmdir(name);

    // One of our own names in the way.
    const QString ours = ExchangeSegments::files(IPCPLANE1).at(1);
    ASSERT_TRUE(QDir().mkpath(ours));
    host = runHost(k64, {in, home.filePath("blocked.ppm")});
    EXPECT_EQ(finished(host, 30000), 0);
    EXPECT_TRUE(hostLog().contains("message \"Cannot Proceed\" \"" + ours + " is in the way")) << hostLog().toStdString();
    EXPECT_TRUE(hostLog().contains("selector 3 result -128"));
    QDir().rmdir(ours);

    // A second exchange while the first one's program is open.
    cv::Mat other;
    cv::flip(photo, other, 1);
    QProcess* first = runHost(k64, {in, home.filePath("first.ppm")});
    const QString window = programWindow();
    ASSERT_FALSE(window.isEmpty()) << hostLog().toStdString();
    const QString firstLog = logFile;
    QProcess* second = runHost(k64, {input(other, "other.ppm"), home.filePath("second.ppm")});
    EXPECT_EQ(finished(second, 30000), 0);
    EXPECT_TRUE(hostLog().contains("Another Strovane filter is running for this user; finish it first."))
        << hostLog().toStdString();
    EXPECT_TRUE(hostLog().contains("selector 3 result -128"));
    EXPECT_EQ(meanDifference(cv::imread(home.filePath("second.ppm").toStdString()), other), 0.0);
    logFile = firstLog;
    press(window, "Return");
    EXPECT_EQ(finished(first), 0);
    const cv::Mat painted = cv::imread(home.filePath("first.ppm").toStdString());
    EXPECT_GT(meanDifference(painted, photo), 2.0);
    EXPECT_LT(meanDifference(painted, photo), meanDifference(painted, other)) << "the first host's own picture";
}

TEST_F(FilterPlugin, ARecordedActionReplaysWithItsPreset)
{
    const QString in = input(photo, "photo.ppm"), state = home.filePath("action.state");
    applyThroughHost(k64, {in, home.filePath("recorded.ppm"), "--state", state});
    const QRegularExpressionMatch recorded = QRegularExpression("preset \"([0-9a-f-]{36})\"").match(hostLog());
    ASSERT_TRUE(recorded.hasMatch()) << hostLog().toStdString();
    const QString presetId = recorded.captured(1);

    // Dialog off: painted with that preset, no window.
    QProcess* host = runHost(k64, {in, home.filePath("silent.ppm"), "--state", state, "--replay", "off"});
    EXPECT_EQ(finished(host), 0);
    EXPECT_TRUE(hostLog().contains("selector 3 result 0")) << hostLog().toStdString();
    EXPECT_TRUE(hostLog().contains("Replaying preset " + presetId)) << hostLog().toStdString();
    EXPECT_FALSE(hostLog().contains("toplevel module loaded")) << "no window";
    EXPECT_TRUE(hostLog().contains("preset \"" + presetId + "\""));
    const cv::Mat silent = cv::imread(home.filePath("silent.ppm").toStdString());
    EXPECT_GT(meanDifference(silent, photo), 2.0);
    EXPECT_LT(meanDifference(silent, cv::imread(home.filePath("recorded.ppm").toStdString())), 2.0)
        << "the recorded painting again";

    // Dialog on: the window, with the stored preset id delivered.
    host = runHost(k64, {in, home.filePath("shown.ppm"), "--state", state, "--replay", "on"});
    const QString window = programWindow();
    ASSERT_FALSE(window.isEmpty());
    EXPECT_TRUE(hostLog().contains("Last Applied Parameters Preset ID from Photoshop: " + presetId))
        << hostLog().toStdString();
    press(window, "Escape");
    EXPECT_EQ(finished(host), 0);
    EXPECT_TRUE(hostLog().contains("selector 3 result -128")) << "cancelled";
    EXPECT_TRUE(hostLog().contains("preset \"" + presetId + "\"")) << "the action keeps its preset";
}

TEST_F(FilterPlugin, TheTraceHoldsTheLatestCallOnly)
{
    applyThroughHost(k64, {input(photo, "photo.ppm"), home.filePath("out.ppm")});
    const QString t = trace();
    EXPECT_EQ(t.count("PB-Entry Velmora Strovane new session"), 1) << t.toStdString();
    EXPECT_TRUE(t.contains("System Information:\n===================\nOEM ID: "));
    EXPECT_TRUE(t.contains("PB-Selector - 5"));
    EXPECT_TRUE(t.contains("PB-DoFinish() - end"));
    EXPECT_TRUE(t.contains("PB-WriteScriptParameters() - written"));
    EXPECT_FALSE(t.contains("PB-DoStart()")) << "the start selector's lines are gone";
}

TEST_F(FilterPlugin, AMissingProgramIsReportedAndLeavesNothing)
{
    installAt(home.filePath("nowhere"));
    QProcess* host = runHost(k64, {input(photo, "photo.ppm"), home.filePath("out.ppm")});
    EXPECT_EQ(finished(host, 30000), 0);
    EXPECT_TRUE(hostLog().contains("message \"Cannot Proceed\" \"Error: launch plug-in failure.\""))
        << hostLog().toStdString();
    EXPECT_TRUE(hostLog().contains("selector 3 result -128"));
    EXPECT_TRUE(trace().contains("PB-doStart() - Error: plug-in has crashed."));
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(FilterPlugin, ARecordedPresetIdLongerThanTheParametersIsCut)
{
    // An action whose 'prid' holds 150 characters.
    QFile state(home.filePath("long.state"));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly));
    state.write("descriptor=64697270" "96" + QByteArray(150, 'x').toHex() + "\n");
    state.close();
    QProcess* host = runHost(k64, {input(photo, "photo.ppm"), home.filePath("out.ppm"), "--state", state.fileName(),
                                   "--replay", "off"});
    EXPECT_EQ(finished(host), 0);
    EXPECT_TRUE(hostLog().contains("selector 3 result 0")) << hostLog().toStdString();
    EXPECT_TRUE(hostLog().contains("preset \"" + QString(99, 'x') + "\"")) << "99 characters and a terminator";
}
