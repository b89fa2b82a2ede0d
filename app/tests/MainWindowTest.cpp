// The main window, the history shell and the painting module as a user
// meets them: the real program under the test's X display, driven by keys
// through xdotool, its files compared with what strovane-render paints.
#include "ImageDifference.h"
#include "ProgramFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/mount.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");
const QString kQuestionTitle = QStringLiteral("May I have your attention, please?");

QString binPath(const char* relative)
{
    return QFileInfo(QStringLiteral(VMSTROVANE2)).absolutePath() + QLatin1Char('/') + QLatin1String(relative);
}

// What a window manager sends when the user clicks the title bar's close
// button.
void requestClose(const QString& window)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.toUInt();
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(c);
    xcb_disconnect(c);
}

class MainWindow : public Program {
protected:
    void setSetting(const QString& key, const QVariant& value)
    {
        QSettings settings(home.filePath("config/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("appMain/") + key, value);
    }
    QString settingsText() const
    {
        QFile f(home.filePath("config/Velmora Labs/Velmora Strovane 2.conf"));
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }
    // Started, with the painting module on its image and its first preview
    // painted.
    QProcess* startPainting(const QStringList& args = {})
    {
        QProcess* p = start(args);
        EXPECT_TRUE(waitForLog(p, "------ DONE loading module")) << log(p).toStdString();
        EXPECT_TRUE(waitForLog(p, "input changed inside module"));
        QThread::msleep(1500);
        return p;
    }
    // Return applies; in standalone mode the save dialog follows. The
    // key goes again if it was lost (a second press while painting is
    // ignored).
    void apply(QProcess* p)
    {
        const QString window = windowNamed(kMainTitle);
        ASSERT_FALSE(window.isEmpty());
        for (int i = 0; i < 4 && !log(p).contains("qml: applied: true"); ++i) {
            press(window, "Return");
            waitForLog(p, "qml: applied: true", 30000);
        }
        ASSERT_TRUE(log(p).contains("qml: applied: true")) << log(p).toStdString();
    }
    void saveAs(const QString& path, const QString& optionsTitle)
    {
        const QString dialog = windowNamed("Save Image", 120000);
        ASSERT_FALSE(dialog.isEmpty()) << "the save dialog opens";
        type(dialog, path);
        press(dialog, "Return");
        const QString options = windowNamed(optionsTitle);
        ASSERT_FALSE(options.isEmpty()) << optionsTitle.toStdString();
        press(options, "Return");
    }
    // Presses Escape on the dialog until it is gone: a key sent while it is
    // still coming up can be lost, and a modal dialog left open blocks the
    // main window's close button.
    static void dismiss(const QString& title)
    {
        for (int i = 0; i < 20; ++i) {
            const QString dialog = windowNamed(title, 500);
            if (dialog.isEmpty())
                return;
            press(dialog, "Escape");
            QThread::msleep(300);
        }
        ADD_FAILURE() << title.toStdString() << " stays open";
    }
    // Clicks the title bar's close button (again, while the window may still
    // be blocked by a dialog going away) until the question comes.
    static QString closeAndAsk(const QString& window)
    {
        for (int i = 0; i < 4; ++i) {
            requestClose(window);
            const QString question = windowNamed(kQuestionTitle, 8000);
            if (!question.isEmpty())
                return question;
        }
        return QString();
    }
    static bool waitForFile(const QString& path, int timeoutMs = 30000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(path) && timer.elapsed() < timeoutMs)
            QThread::msleep(200);
        return QFile::exists(path);
    }
};

} // namespace

TEST_F(MainWindow, StandaloneApplySavesWhatTheRendererPaints)
{
    QProcess* p = startPainting();
    EXPECT_EQ(log(p).count("--- toplevel module loaded -"), 1) << "the shell loads exactly once";
    EXPECT_TRUE(log(p).contains("input changed inside module 2560 1600")) << "the example photograph";

    apply(p);
    const QString painting = home.filePath("painting.jpg");
    saveAs(painting, "JPEG Options");
    ASSERT_TRUE(waitForFile(painting));
    EXPECT_TRUE(log(p).contains("qml: applied: true"));

    const QString reference = home.filePath("reference.png");
    QProcess render;
    render.start(binPath("strovane-render"), {binPath("Resources/images/example.jpg"), reference});
    ASSERT_TRUE(render.waitForFinished(120000));
    ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const cv::Mat saved = cv::imread(painting.toStdString()), expected = cv::imread(reference.toStdString());
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_LT(meanDifference(saved, expected), 1.5) << "the same painting, within JPEG's loss";

    // Saved: quitting asks nothing.
    press(windowOf(p), "ctrl+q");
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
}

TEST_F(MainWindow, WithoutTheExampleTheOpenDialogComesUpAndOpensTheChosenImage)
{
    setSetting("useExampleImage", false);
    setSetting("showStartupWindow", false);
    const QString photo = home.filePath("little.png");
    cv::Mat m(120, 200, CV_8UC3, cv::Scalar(40, 120, 200));
    cv::circle(m, cv::Point(100, 60), 40, cv::Scalar(10, 200, 240), cv::FILLED);
    ASSERT_TRUE(cv::imwrite(photo.toStdString(), m));

    QProcess* p = start({});
    const QString dialog = windowNamed("Open an Image");
    ASSERT_FALSE(dialog.isEmpty()) << log(p).toStdString();
    type(dialog, photo);
    press(dialog, "Return");
    EXPECT_TRUE(waitForLog(p, "input changed inside module 200 120")) << log(p).toStdString();
    EXPECT_FALSE(log(p).contains("2560")) << "the example stays closed";
}

TEST_F(MainWindow, TheStartUpWindowFollowsItsSetting)
{
    for (const bool show : {true, false}) {
        setSetting("showStartupWindow", show);
        QProcess* p = start({});
        ASSERT_TRUE(waitForLog(p, "------ DONE loading module")) << log(p).toStdString();
        EXPECT_EQ(log(p).contains("start-up window shown"), show) << show;
        p->kill();
        p->waitForFinished(5000);
    }
}

TEST_F(MainWindow, ClosingWithUnsavedWorkAsksFirst)
{
    QProcess* p = startPainting();
    apply(p);
    const QString dialog = windowNamed("Save Image", 120000);
    ASSERT_FALSE(dialog.isEmpty());
    dismiss("Save Image"); // the painting stays unsaved

    const QString window = windowNamed(kMainTitle);
    QString question = closeAndAsk(window);
    ASSERT_FALSE(question.isEmpty()) << "the close button asks about the unsaved painting\n" << log(p).toStdString();
    dismiss(kQuestionTitle);
    QThread::msleep(500);
    EXPECT_EQ(p->state(), QProcess::Running) << "Cancel keeps the program";

    question = closeAndAsk(window);
    ASSERT_FALSE(question.isEmpty());
    press(question, "n");
    ASSERT_TRUE(p->waitForFinished(30000)) << "Don't Save quits";
    EXPECT_EQ(p->exitCode(), 0);
}

TEST_F(MainWindow, ExternalEditorPaintsTheCallersTiffInPlace)
{
    const QString photo = home.filePath("catalogue photo.tif");
    cv::Mat example = cv::imread(binPath("Resources/images/example.jpg").toStdString());
    cv::Mat small;
    cv::resize(example, small, cv::Size(640, 400), 0, 0, cv::INTER_AREA);
    small.convertTo(small, CV_16U, 257.0);
    ASSERT_TRUE(cv::imwrite(photo.toStdString(), small));

    QProcess* p = startPainting({photo});
    requestClose(windowNamed(kMainTitle));
    QThread::msleep(1000);
    EXPECT_EQ(p->state(), QProcess::Running) << "in external-editor mode the close button does nothing";

    apply(p);
    ASSERT_TRUE(p->waitForFinished(120000)) << log(p).toStdString();
    EXPECT_EQ(p->exitCode(), 0);
    const cv::Mat written = cv::imread(photo.toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(written.size(), small.size());
    EXPECT_EQ(written.depth(), CV_16U) << "the file keeps its bit depth";
    EXPECT_GT(meanDifference(written, small), 2.0) << "and holds the painting now";
    EXPECT_EQ(QDir(home.path()).entryList({"*.tif*"}, QDir::Files | QDir::Hidden), QStringList{"catalogue photo.tif"});
}

namespace {

// A folder of the test's own on a small file system: read-only, or so small
// that a painting does not fit (a full disk). Root only; unmounted at the end.
class SmallFolder {
public:
    enum Kind { ReadOnly, Full };
    SmallFolder(const QString& path, Kind kind) : m_path(QFile::encodeName(path)), m_kind(kind)
    {
        QDir().mkpath(path);
        m_mounted = ::geteuid() == 0 && ::mount("strovane-test", m_path.constData(), "tmpfs", 0,
                                                kind == Full ? "size=16k" : "size=4m") == 0;
    }
    ~SmallFolder()
    {
        if (m_mounted)
            ::umount(m_path.constData());
    }
    bool mounted() const { return m_mounted; }
    // Files written before the folder closes.
    void close()
    {
        if (m_kind == ReadOnly)
            ::mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    }

private:
    QByteArray m_path;
    Kind m_kind;
    bool m_mounted = false;
};

QByteArray contents(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST_F(MainWindow, ExternalEditorLeavesAFileItCannotWriteUntouched)
{
    for (SmallFolder::Kind kind : {SmallFolder::ReadOnly, SmallFolder::Full}) {
        const char* what = kind == SmallFolder::ReadOnly ? "read-only folder" : "full disk";
        const QString folder = home.filePath(kind == SmallFolder::ReadOnly ? "locked" : "full");
        SmallFolder small(folder, kind);
        if (!small.mounted())
            GTEST_SKIP() << "no small file system can be made here (root and tmpfs are needed)";
        const QString photo = folder + "/photo.png";
        cv::Mat m(200, 300, CV_8UC3, cv::Scalar(90, 160, 220));
        cv::circle(m, cv::Point(150, 100), 60, cv::Scalar(20, 40, 200), cv::FILLED);
        ASSERT_TRUE(cv::imwrite(photo.toStdString(), m));
        small.close();
        const QByteArray before = contents(photo);

        QProcess* p = startPainting({photo});
        apply(p);
        const QString box = windowNamed(kQuestionTitle, 120000);
        EXPECT_FALSE(box.isEmpty()) << what << ": the user is told";
        if (!box.isEmpty())
            press(box, "Return");
        ASSERT_TRUE(p->waitForFinished(30000)) << log(p).toStdString();
        EXPECT_NE(p->exitCode(), 0) << what << ": no success is claimed";
        EXPECT_EQ(contents(photo), before) << what << ": the caller's file is byte for byte as it was";
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.png"})
            << what << ": no partial file";
    }
}

TEST_F(MainWindow, SavingToAFullDiskLeavesNoPartialFile)
{
    const QString folder = home.filePath("full");
    SmallFolder small(folder, SmallFolder::Full);
    if (!small.mounted())
        GTEST_SKIP() << "no small file system can be made here (root and tmpfs are needed)";
    const QString earlier = folder + "/earlier.jpg";
    ASSERT_TRUE(cv::imwrite(earlier.toStdString(), cv::Mat(64, 64, CV_8UC3, cv::Scalar(10, 200, 30))));
    const QByteArray before = contents(earlier);

    QProcess* p = startPainting();
    apply(p);
    saveAs(folder + "/painting.jpg", "JPEG Options");
    const QString box = windowNamed(kQuestionTitle, 120000);
    ASSERT_FALSE(box.isEmpty()) << "the user is told";
    press(box, "Return");
    QThread::msleep(500);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.jpg"}) << "no partial file";
    EXPECT_EQ(contents(earlier), before);
    EXPECT_EQ(p->state(), QProcess::Running) << "the painting is still there to save elsewhere";
}

TEST_F(MainWindow, TheWindowComesBackWhereTheUserLeftIt)
{
    setSetting("useExampleImage", false);
    setSetting("showStartupWindow", false);
    QProcess* first = start({});
    const QString window = windowNamed(kMainTitle);
    ASSERT_FALSE(window.isEmpty());
    ASSERT_FALSE(windowNamed("Open an Image").isEmpty());
    dismiss("Open an Image");
    xdotool({"windowsize", "--sync", window, "900", "620"});
    xdotool({"windowmove", "--sync", window, "70", "40"});
    QThread::msleep(500);
    press(window, "ctrl+q");
    ASSERT_TRUE(first->waitForFinished(30000));
    EXPECT_TRUE(settingsText().contains("vmMain_width=900")) << settingsText().toStdString();

    QProcess* second = start({});
    const QString again = windowNamed(kMainTitle);
    ASSERT_FALSE(again.isEmpty());
    QThread::msleep(500);
    const QString geometry = xdotool({"getwindowgeometry", again});
    EXPECT_TRUE(geometry.contains("Position: 70,40")) << geometry.toStdString();
    EXPECT_TRUE(geometry.contains("Geometry: 900x620")) << geometry.toStdString();
    Q_UNUSED(second);
}

TEST_F(MainWindow, ACorruptPresetDatabaseIsSetAsideAndTheProgramStarts)
{
    const QString folder = home.filePath("data/Velmora Labs/Velmora Strovane 2");
    QDir().mkpath(folder);
    QFile broken(folder + "/presets.sqlite");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("SQLite format 3") + QByteArray(4096, '\x5a'));
    broken.close();

    QProcess* p = start({});
    const QString box = windowNamed(kQuestionTitle);
    ASSERT_FALSE(box.isEmpty()) << "the user is told";
    press(box, "Return");
    EXPECT_TRUE(waitForLog(p, "------ DONE loading module")) << log(p).toStdString();
    const QStringList files = QDir(folder).entryList(QDir::Files);
    EXPECT_TRUE(files.contains("presets.sqlite")) << files.join(' ').toStdString();
    EXPECT_EQ(files.filter("presets.sqlite.unreadable-").size(), 1) << files.join(' ').toStdString();
}

namespace {

// The painting module in a window of a known size, as an external editor
// on a small photograph, so that Apply writes the painting and ends.
class PaintingPanel : public MainWindow {
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        setSetting("vmMain_x", 0);
        setSetting("vmMain_y", 0);
        setSetting("vmMain_width", 1200);
        setSetting("vmMain_height", 800);
        setSetting("showStartupWindow", false);
        setSetting("startWithPresetPanel", false);
        setSetting("showPainting", false);
        cv::Mat example = cv::imread(binPath("Resources/images/example.jpg").toStdString());
        cv::resize(example, photo, cv::Size(640, 400), 0, 0, cv::INTER_AREA);
        ASSERT_TRUE(cv::imwrite(photoPath().toStdString(), photo));
    }
    QString photoPath() const { return home.filePath("photo.png"); }
    // What strovane-render paints of the photograph with these arguments.
    cv::Mat rendered(const QStringList& args)
    {
        const QString out = home.filePath("rendered.png");
        QProcess render;
        render.start(binPath("strovane-render"), args + QStringList{photoPath() + ".orig.png", out});
        render.waitForFinished(120000);
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        return cv::imread(out.toStdString());
    }
    void keepOriginal() { cv::imwrite((photoPath() + ".orig.png").toStdString(), photo); }
    // Started on the photograph with its first preview painted.
    QString startOnPhoto(QProcess** process)
    {
        keepOriginal();
        *process = startPainting({photoPath()});
        const QString window = windowNamed(kMainTitle);
        QThread::msleep(1500);
        return window;
    }
    static void drag(const QString& window, int x0, int y0, int x1, int y1)
    {
        xdotool({"mousemove", "--window", window, QString::number(x0), QString::number(y0), "mousedown", "1"});
        for (int i = 1; i <= 8; ++i)
            xdotool({"mousemove", "--window", window, QString::number(x0 + (x1 - x0) * i / 8),
                     QString::number(y0 + (y1 - y0) * i / 8)});
        xdotool({"mouseup", "1"});
    }
    static void click(const QString& window, int x, int y)
    {
        xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "1"});
    }
    cv::Mat applyAndRead(QProcess* p)
    {
        apply(p);
        EXPECT_TRUE(p->waitForFinished(120000)) << log(p).toStdString();
        EXPECT_EQ(p->exitCode(), 0);
        return cv::imread(photoPath().toStdString());
    }

    cv::Mat photo;
};

} // namespace

TEST_F(PaintingPanel, DraggingBrushSizeRepaintsAndCtrlZTakesItBack)
{
    QProcess* p = nullptr;
    QString window = startOnPhoto(&p);
    drag(window, 1043, 604, 1160, 604); // the Brush Size handle, towards 1
    QThread::msleep(2000);
    const cv::Mat bigger = applyAndRead(p);
    const cv::Mat standard = rendered({});
    ASSERT_EQ(bigger.size(), standard.size());
    EXPECT_GT(meanDifference(bigger, standard), 2.0) << "a larger brush paints another picture";
    EXPECT_LT(meanDifference(bigger, rendered({"--set", "stroke_brush_size=0.93"})), 6.0)
        << "about the size the handle was dragged to";

    ASSERT_TRUE(cv::imwrite(photoPath().toStdString(), photo));
    window = startOnPhoto(&p);
    drag(window, 1043, 604, 1160, 604);
    QThread::msleep(1500);
    press(window, "ctrl+z");
    QThread::msleep(1500);
    EXPECT_LT(meanDifference(applyAndRead(p), standard), 1.0) << "Ctrl+Z brings the size back";
}

TEST_F(PaintingPanel, ABuiltInStylePutsItsParametersInEffect)
{
    setSetting("startWithPresetPanel", true);
    QProcess* p = nullptr;
    const QString window = startOnPhoto(&p);
    click(window, 976, 110); // the first style, "Loose Impasto"
    QThread::msleep(2000);
    const cv::Mat painted = applyAndRead(p);

    QFile styles(binPath("Resources/styles/styles.json"));
    ASSERT_TRUE(styles.open(QIODevice::ReadOnly));
    const QJsonObject first = QJsonDocument::fromJson(styles.readAll()).object().value("styles").toArray().at(0).toObject();
    ASSERT_EQ(first.value("name").toString(), "Loose Impasto");
    const QString preset = home.filePath("style.json");
    QFile presetFile(preset);
    ASSERT_TRUE(presetFile.open(QIODevice::WriteOnly));
    presetFile.write(QJsonDocument(first.value("preset").toObject()).toJson());
    presetFile.close();
    EXPECT_LT(meanDifference(painted, rendered({"--preset", preset})), 1.0) << "painted in the style";
    EXPECT_GT(meanDifference(painted, rendered({})), 2.0) << "not in the standard settings";
}

TEST_F(PaintingPanel, AMaskStrokeThatPaintsTheEffectOutShowsThePhoto)
{
    QProcess* p = nullptr;
    const QString window = startOnPhoto(&p);
    click(window, 1000, 72);  // fold STROKE
    QThread::msleep(300);
    click(window, 1000, 188); // open MASK
    QThread::msleep(500);
    // Across the middle of the picture, shown at 23..877 x 154..688.
    drag(window, 200, 421, 700, 421);
    QThread::msleep(2000);
    const cv::Mat painted = applyAndRead(p);
    ASSERT_EQ(painted.size(), photo.size());
    const cv::Rect band(200, 192, 240, 16), above(200, 40, 240, 16);
    EXPECT_LT(meanDifference(painted(band), photo(band)), 2.0) << "the photograph where the effect was painted out";
    EXPECT_GT(meanDifference(painted(above), photo(above)), 2.0) << "the painting elsewhere";
}
