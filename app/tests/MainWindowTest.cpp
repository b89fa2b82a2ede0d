// The main window, the history shell and the painting module as a new user
// meets them: the real program under the test's X display with no settings
// of its own (the welcome comes up, the Styles panel first), driven by keys,
// clicks and drops, and checked on what the window shows.
#include "WindowFixture.h"
#include "XdndSource.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <opencv2/imgproc.hpp>

#include <sys/mount.h>
#include <unistd.h>

#include <functional>

namespace {

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

QByteArray contents(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class MainWindow : public Window {
protected:
    // Photographs of the test's own: parts of the example, in other shapes.
    QString photo(const char* name, const cv::Rect& part, const cv::Size& size)
    {
        cv::Mat m;
        cv::resize(example()(part), m, size, 0, 0, cv::INTER_AREA);
        const QString path = home.filePath(QLatin1String(name));
        EXPECT_TRUE(cv::imwrite(path.toStdString(), m));
        return path;
    }
    QString portrait() { return photo("portrait.jpg", cv::Rect(1100, 100, 900, 1300), cv::Size(600, 866)); }
    QString landscape() { return photo("landscape photo.png", cv::Rect(0, 600, 2000, 1000), cv::Size(1400, 700)); }
    static cv::Mat read(const QString& path) { return cv::imread(path.toStdString()); }

    // The open dialog: a path typed and taken.
    static void openInDialog(const QString& path)
    {
        const QString dialog = windowNamed(QStringLiteral("Open an Image"));
        ASSERT_FALSE(dialog.isEmpty()) << "the open dialog comes up";
        type(dialog, path);
        press(dialog, "Return");
    }
    // Return applies; in standalone mode the save dialog follows.
    static void apply(const QString& window)
    {
        press(window, "Return");
        ASSERT_FALSE(windowNamed(QStringLiteral("Save Image"), 120000).isEmpty()) << "Apply paints and asks where to save";
    }
    // The Adjust tab, with STROKE folded and the panel whose header lies at
    // y open (0: STROKE left as it is).
    void openAdjust(const QString& window, int panelHeaderY = 0)
    {
        const QSize size = windowSize(window);
        const QPoint adjust = adjustTab(size);
        clickPanel(window, adjust.x(), adjust.y());
        if (panelHeaderY == 0)
            return;
        clickPanel(window, size.width() - 224, 72); // fold STROKE
        clickPanel(window, size.width() - 224, panelHeaderY);
    }
    static constexpr int kLightingHeader = 130, kMaskHeader = 188;

    // Started as a new user, the welcome closed, the example painted.
    QString startedAndPainted(QProcess** p, const QStringList& args = {}, const cv::Mat& shown = cv::Mat())
    {
        const QString window = startAsNewUser(p, args);
        closeWelcome(window);
        waitForPaintingOf(window, shown.empty() ? example() : shown);
        return window;
    }
};

} // namespace

// However a picture arrives, the preview paints it by itself: nobody has to
// touch a control first.
TEST_F(MainWindow, EveryWayAPictureArrivesIsPaintedWithoutInput)
{
    const QString other = portrait();
    struct Way {
        const char* what;
        std::function<void(QProcess**)> bring;
        QString expected; // empty: the example
    } ways[] = {
        {"the example at the start", [&](QProcess** p) { closeWelcome(startAsNewUser(p)); }, QString()},
        {"File > Open", [&](QProcess** p) {
             const QString w = startedAndPainted(p);
             press(w, "ctrl+o");
             openInDialog(other);
         }, other},
        {"the open dialog of a start without the example", [&](QProcess** p) {
             setSetting("useExampleImage", false);
             *p = start({});
             openInDialog(other);
             // By its name: the process's first window may still be the
             // closing dialog's. The welcome came up behind the dialog;
             // closed before the painting panel is ready, it stays closed.
             const QString w = windowNamed(mainTitle());
             EXPECT_FALSE(waitForScreen(w, welcomeShown).empty()) << "the welcome is up";
             closeWelcome(w);
         }, other},
        {"an external editor's file", [&](QProcess** p) { closeWelcome(startAsNewUser(p, {other})); }, other},
        {"a file dropped on the window", [&](QProcess** p) {
             const QString w = startedAndPainted(p);
             const QSize s = windowSize(w);
             EXPECT_TRUE(xdnd::dropFile(w, (s.width() - 300) / 2, s.height() / 2, other)) << "the window takes the drop";
         }, other},
        {"a second copy started with the file", [&](QProcess** p) {
             startedAndPainted(p);
             QProcess* second = start({other});
             const QString box = windowOf(second);
             EXPECT_FALSE(box.isEmpty()) << "the second copy says that one runs";
             press(box, "Return");
             EXPECT_TRUE(second->waitForFinished(30000));
             EXPECT_EQ(second->exitCode(), 0);
         }, other},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        QProcess* p = nullptr;
        way.bring(&p);
        // By its name: a dialog just answered may still be the process's
        // first window.
        const QString window = windowNamed(mainTitle());
        ASSERT_FALSE(window.isEmpty());
        if (waitForPaintingOf(window, way.expected.isEmpty() ? example() : read(way.expected)).empty())
            ADD_FAILURE() << "the program's last lines:\n"
                          << log(p).right(4000).toStdString();
        p->kill();
        p->waitForFinished(5000);
        QDir(home.filePath("config")).removeRecursively();
    }
}

// Undo and redo of an applied result bring a picture back, and the preview
// paints it again.
TEST_F(MainWindow, UndoAndRedoOfAnAppliedResultArePaintedToo)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const cv::Mat paintingOfPhoto = settledView(window);
    apply(window);
    dismiss(QStringLiteral("Save Image"));
    ASSERT_FALSE(waitForView(window, [&](const cv::Mat& v) {
                     return sameShape(v, paintingOfPhoto) && meanDifference(v, paintingOfPhoto) > 1.0;
                 }).empty())
        << "the applied painting is the picture now, and it is painted";
    const cv::Mat paintingOfPainting = settledView(window);

    const QSize size = windowSize(window);
    clickAt(window, size.width() - 355, kTabsY); // the tool bar's Undo
    EXPECT_FALSE(waitForView(window, [&](const cv::Mat& v) {
                     return sameShape(v, paintingOfPhoto) && meanDifference(v, paintingOfPhoto) < 1.0;
                 }).empty())
        << "Undo: the photograph, painted as before";
    clickAt(window, size.width() - 324, kTabsY); // Redo
    EXPECT_FALSE(waitForView(window, [&](const cv::Mat& v) {
                     return sameShape(v, paintingOfPainting) && meanDifference(v, paintingOfPainting) < 1.0;
                 }).empty())
        << "Redo: the applied painting, painted again";
}

// Save in the question about unsaved work writes the painting the user was
// looking at, as Apply would have made it, not the photograph.
TEST_F(MainWindow, TheUnsavedQuestionsSaveWritesThePaintingOnTheScreen)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const QSize size = windowSize(window);
    const QPoint tile = styleTile(size, 0); // "Loose Impasto"
    const cv::Mat before = view(window);
    clickAt(window, tile.x(), tile.y());
    ASSERT_FALSE(waitForView(window, [&](const cv::Mat& v) { return sameShape(v, before) && meanDifference(v, before) > 2.0; }).empty())
        << "the style is painted";

    press(window, "ctrl+o");
    const QString question = windowNamed(questionTitle());
    ASSERT_FALSE(question.isEmpty()) << "the painting is not saved: the program asks";
    press(question, "Return"); // Save
    const QString painting = home.filePath("painting.png");
    saveAs(painting, QStringLiteral("PNG Options"), window);
    ASSERT_TRUE(waitForFile(painting));
    EXPECT_FALSE(windowNamed(QStringLiteral("Open an Image")).isEmpty()) << "then the image is opened, as asked";
    dismiss(QStringLiteral("Open an Image"));

    QFile styles(binPath("Resources/styles/styles.json"));
    ASSERT_TRUE(styles.open(QIODevice::ReadOnly));
    const QJsonObject first = QJsonDocument::fromJson(styles.readAll()).object().value("styles").toArray().at(0).toObject();
    ASSERT_EQ(first.value("name").toString(), "Loose Impasto");
    QFile preset(home.filePath("style.json"));
    ASSERT_TRUE(preset.open(QIODevice::WriteOnly));
    preset.write(QJsonDocument(first.value("preset").toObject()).toJson());
    preset.close();
    const cv::Mat saved = read(painting), photograph = example();
    ASSERT_EQ(saved.size(), photograph.size()) << "at full resolution";
    EXPECT_GT(meanDifference(saved, photograph), 4.0) << "not the photograph";
    EXPECT_LT(meanDifference(saved, rendered(binPath("Resources/images/example.jpg"), {"--preset", preset.fileName()})), 1.0)
        << "the painting in the style, as Apply paints it";
}

// Escape closes what is on top (the welcome, the overlays of the Help menu,
// boxes and dialogs) and leaves the program running; only with nothing on
// top does it leave the painting module, which ends a session with nothing
// to save.
TEST_F(MainWindow, EscapeClosesWhatIsOnTopBeforeItLeaves)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const cv::Mat plain = screen::grab(window);
    auto dimmed = [&](const cv::Mat& s) {
        return !s.empty() && s.size() == plain.size() && cv::mean(s)[1] < cv::mean(plain)[1] * 0.7;
    };
    struct Overlay {
        const char* what;
        const char* keys; // through the Help menu
        QString box;      // a box of its own (a window), else an overlay
    } overlays[] = {
        {"Sharing Styles", "Down Down Down Down Return", QString()},
        {"Account", "Down Down Down Down Down Return", QString()},
        {"the About box", "Down Return", QStringLiteral("About Velmora Strovane 2")},
        {"the welcome screen", "Down Down Return", QString()},
    };
    for (const Overlay& o : overlays) {
        SCOPED_TRACE(o.what);
        press(window, "alt+h");
        QThread::msleep(500);
        xdotool(QStringList{"key", "--delay", "150"} + QString::fromLatin1(o.keys).split(' '));
        if (o.box.isEmpty()) {
            ASSERT_FALSE(waitForScreen(window, dimmed, 20000).empty()) << "it comes up over the window";
            press(window, "Escape");
            EXPECT_FALSE(waitForScreen(window, [&](const cv::Mat& s) { return !dimmed(s); }, 20000).empty()) << "Escape closes it";
        } else {
            const QString box = windowNamed(o.box);
            ASSERT_FALSE(box.isEmpty());
            press(box, "Escape");
            EXPECT_TRUE(windowNamed(o.box, 2000).isEmpty() || (QThread::msleep(1000), windowNamed(o.box, 500).isEmpty()));
        }
        QThread::msleep(500);
        ASSERT_EQ(p->state(), QProcess::Running) << "the program runs on";
    }

    press(window, "Escape");
    ASSERT_TRUE(p->waitForFinished(30000)) << "with nothing on top Escape leaves, and with nothing unsaved the program ends";
    EXPECT_EQ(p->exitCode(), 0);
}

// A file that cannot be opened is said, and the external editor ends with
// an error: the catalogue that started it must not take the failure for a
// finished edit.
TEST_F(MainWindow, AFileThatCannotBeOpenedEndsTheExternalEditorWithAnError)
{
    const QString truncated = home.filePath("cut off.jpg");
    const QByteArray whole = contents(binPath("Resources/images/example.jpg"));
    QFile f(truncated);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(whole.left(whole.size() / 3));
    f.close();

    QProcess* p = start({truncated});
    const QString box = windowNamed(QStringLiteral("Error"), 60000);
    ASSERT_FALSE(box.isEmpty()) << "the user is told";
    press(box, "Return");
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 2);
    EXPECT_EQ(contents(truncated), whole.left(whole.size() / 3)) << "the file is left as it was";
}

// Holding backslash shows the photograph wherever the focus is (here on a
// slider the user clicked), letting go the painting again.
TEST_F(MainWindow, BackslashShowsThePhotographWhileHeld)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const cv::Mat painting = view(window);
    const QSize size = windowSize(window);
    openAdjust(window);
    clickAt(window, size.width() - 40, 659); // the Paint Volume slider's track end: it takes the focus
    const cv::Mat changed = waitForView(window, [&](const cv::Mat& v) { return sameShape(v, painting); });

    xdotool({"windowfocus", "--sync", window, "keydown", "backslash"});
    EXPECT_FALSE(waitForView(window, [&](const cv::Mat& v) {
                     return sameShape(v, painting) && differenceFrom(v, example()) < kPhotoShown;
                 }, nullptr, 30000).empty())
        << "held: the photograph";
    xdotool({"windowfocus", "--sync", window, "keyup", "backslash"});
    EXPECT_FALSE(waitForView(window, [&](const cv::Mat& v) { return paintingOf(v, example()); }, nullptr, 60000).empty())
        << "let go: the painting";
}

// The wheel over a slider scrolls the panel; the slider keeps its value and
// the painting stays as it is.
TEST_F(MainWindow, TheWheelOverASliderScrollsThePanel)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const QSize size = windowSize(window);
    openAdjust(window);
    const cv::Mat before = screen::grab(window);
    const cv::Mat painting = view(window);
    const cv::Rect panel(size.width() - 290, 60, 260, size.height() - 140);
    xdotool({"mousemove", "--window", window, QString::number(size.width() - 150), "608"}); // over Brush Size
    for (int i = 0; i < 3; ++i)
        xdotool({"click", "5"});
    QThread::msleep(1500);
    const cv::Mat after = screen::grab(window);
    EXPECT_GT(meanDifference(after(panel), before(panel)), 3.0) << "the panel scrolled";
    const cv::Mat still = waitForView(window, [&](const cv::Mat& v) { return sameShape(v, painting); });
    EXPECT_LT(meanDifference(still, painting), 0.5) << "no setting changed";
}

// Each mask stroke is one undo step: Ctrl+Z takes the stroke back, not the
// style chosen before it. The brush's outline leaves with the pointer.
TEST_F(MainWindow, AMaskStrokeIsOneUndoStep)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const QSize size = windowSize(window);
    const cv::Mat standard = view(window);
    const QPoint tile = styleTile(size, 0);
    clickAt(window, tile.x(), tile.y());
    const cv::Mat styled = waitForView(window, [&](const cv::Mat& v) { return sameShape(v, standard) && meanDifference(v, standard) > 2.0; });
    ASSERT_FALSE(styled.empty());

    openAdjust(window, kMaskHeader);
    const cv::Rect at = screen::picture(screen::grab(window));
    const int y = at.y + at.height / 2;
    drag(window, at.x + at.width / 5, y, at.x + at.width * 4 / 5, y);
    xdotool({"mousemove", "--window", window, QString::number(size.width() - 150), QString::number(size.height() - 100)});
    const cv::Mat stroked = waitForView(window, [&](const cv::Mat& v) {
        const cv::Rect band(v.cols / 3, v.rows / 2 - 4, v.cols / 3, 8);
        return sameShape(v, styled) && meanDifference(v(band), screen::fitted(example(), v.size())(band)) < 4.0;
    });
    ASSERT_FALSE(stroked.empty()) << "the stroke paints the effect out: the photograph along it";
    EXPECT_LT(meanDifference(stroked(cv::Rect(0, 0, stroked.cols, stroked.rows / 4)), styled(cv::Rect(0, 0, styled.cols, styled.rows / 4))), 1.0)
        << "away from the stroke the painting stays, and with the pointer gone no outline is left";

    press(window, "ctrl+z");
    const cv::Mat undone = waitForView(window, [&](const cv::Mat& v) { return sameShape(v, styled) && meanDifference(v, stroked) > 0.5; });
    ASSERT_FALSE(undone.empty());
    EXPECT_LT(meanDifference(undone, styled), 1.0) << "Ctrl+Z takes the stroke back and keeps the style";
}

// The light's marker sits on the pad's corner by default: the whole of it
// can be taken and dragged.
TEST_F(MainWindow, TheLightCanBeDraggedFromItsCorner)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const QSize size = windowSize(window);
    openAdjust(window, kLightingHeader);
    auto marker = [&](const cv::Mat& s, int x, int y) {
        const cv::Vec3b c = s.at<cv::Vec3b>(y, x);
        return c[2] > 200 && c[1] > 170 && c[0] < 150; // the marker's yellow
    };
    ASSERT_TRUE(marker(screen::grab(window), size.width() - 102, 371)) << "the marker starts on the pad's corner";
    // From the marker's part outside the pad to the pad's other corner.
    drag(window, size.width() - 97, 366, size.width() - 192, 463);
    const cv::Mat shot = waitForScreen(window, [&](const cv::Mat& s) { return marker(s, size.width() - 194, 465); }, 20000);
    ASSERT_FALSE(shot.empty()) << "the marker follows the drag";
    EXPECT_FALSE(marker(shot, size.width() - 97, 366)) << "and has left the corner";
}

// A Help item that opens a web page says so when no browser can be started.
TEST_F(MainWindow, AWebPageWithoutABrowserIsSaidToTheUser)
{
    const QString bin = home.filePath("bin");
    QDir().mkpath(bin);
    QFile opener(bin + "/xdg-open");
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\necho 'xdg-open: no method available for opening' \"$1\" >&2\nexit 3\n");
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert("PATH", bin + ":" + environment.value("PATH"));

    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    press(window, "alt+h");
    QThread::msleep(500);
    xdotool({"key", "--delay", "150", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}); // the web page
    const QString box = windowNamed(QStringLiteral("Web Page"), 20000);
    ASSERT_FALSE(box.isEmpty()) << "the user is told that no browser came";
    press(box, "Return");
}

// A plain session (start, look, quit) writes no warning: the documents go
// before the objects they use.
TEST_F(MainWindow, ASessionEndsWithoutWarnings)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    press(window, "ctrl+q");
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
    const QString out = log(p);
    for (const char* sign : {"TypeError", "ReferenceError", "Binding: ", "Warning:", "warning:"})
        EXPECT_FALSE(out.contains(QLatin1String(sign))) << sign << "\n" << out.toStdString();
}

TEST_F(MainWindow, ApplyAndSaveWriteWhatTheRendererPaints)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    apply(window);
    const QString painting = home.filePath("painting.jpg");
    saveAs(painting, QStringLiteral("JPEG Options"), window);
    ASSERT_TRUE(waitForFile(painting));
    const cv::Mat saved = read(painting), expected = rendered(binPath("Resources/images/example.jpg"), {});
    ASSERT_EQ(saved.size(), expected.size());
    EXPECT_LT(meanDifference(saved, expected), 1.5) << "the same painting, within JPEG's loss";

    // Saved: quitting asks nothing.
    press(window, "ctrl+q");
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(p->exitCode(), 0);
}

TEST_F(MainWindow, ClosingWithUnsavedWorkAsksFirst)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    apply(window);
    dismiss(QStringLiteral("Save Image")); // the painting stays unsaved

    auto closeAndAsk = [&] {
        for (int i = 0; i < 4; ++i) {
            requestClose(window);
            const QString question = windowNamed(questionTitle(), 8000);
            if (!question.isEmpty())
                return question;
        }
        return QString();
    };
    QString question = closeAndAsk();
    ASSERT_FALSE(question.isEmpty()) << "the close button asks about the unsaved painting";
    dismiss(questionTitle());
    QThread::msleep(500);
    EXPECT_EQ(p->state(), QProcess::Running) << "Cancel keeps the program";

    question = closeAndAsk();
    ASSERT_FALSE(question.isEmpty());
    press(question, "n");
    ASSERT_TRUE(p->waitForFinished(30000)) << "Don't Save quits";
    EXPECT_EQ(p->exitCode(), 0);
}

TEST_F(MainWindow, ExternalEditorPaintsTheCallersTiffInPlace)
{
    const QString photo = home.filePath("catalogue photo.tif");
    cv::Mat small;
    cv::resize(example(), small, cv::Size(640, 400), 0, 0, cv::INTER_AREA);
    cv::Mat small16;
    small.convertTo(small16, CV_16U, 257.0);
    ASSERT_TRUE(cv::imwrite(photo.toStdString(), small16));

    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p, {photo}, small);
    requestClose(window);
    QThread::msleep(1000);
    EXPECT_EQ(p->state(), QProcess::Running) << "in external-editor mode the close button does nothing";

    press(window, "Return");
    ASSERT_TRUE(p->waitForFinished(120000)) << log(p).toStdString();
    EXPECT_EQ(p->exitCode(), 0);
    const cv::Mat written = cv::imread(photo.toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(written.size(), small16.size());
    EXPECT_EQ(written.depth(), CV_16U) << "the file keeps its bit depth";
    EXPECT_GT(meanDifference(written, small16), 2.0) << "and holds the painting now";
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
        cv::randn(m(cv::Rect(0, 0, 120, 20)), cv::Scalar(90, 160, 220), cv::Scalar(30, 30, 30));
        ASSERT_TRUE(cv::imwrite(photo.toStdString(), m));
        small.close();
        const QByteArray before = contents(photo);

        QProcess* p = nullptr;
        const QString window = startedAndPainted(&p, {photo}, m);
        press(window, "Return");
        const QString box = windowNamed(QStringLiteral("Error"), 120000);
        EXPECT_FALSE(box.isEmpty()) << what << ": the user is told";
        if (!box.isEmpty())
            press(box, "Return");
        ASSERT_TRUE(p->waitForFinished(30000)) << log(p).toStdString();
        EXPECT_EQ(p->exitCode(), 2) << what << ": no success is claimed";
        EXPECT_EQ(contents(photo), before) << what << ": the caller's file is byte for byte as it was";
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.png"})
            << what << ": no partial file";
        QDir(home.filePath("config")).removeRecursively();
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

    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    apply(window);
    saveAs(folder + "/painting.jpg", QStringLiteral("JPEG Options"), window);
    const QString box = windowNamed(QStringLiteral("Could Not Save the Image"), 120000);
    ASSERT_FALSE(box.isEmpty()) << "the user is told";
    press(box, "Return");
    QThread::msleep(500);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.jpg"}) << "no partial file";
    EXPECT_EQ(contents(earlier), before);
    EXPECT_EQ(p->state(), QProcess::Running) << "the painting is still there to save elsewhere";
}

// The first window takes most of the screen, centred; later ones come back
// where the user left it.
TEST_F(MainWindow, TheWindowOpensLargeFirstAndThenWhereTheUserLeftIt)
{
    QProcess* first = nullptr;
    const QString window = startAsNewUser(&first);
    ASSERT_FALSE(window.isEmpty());
    const QString screenSize = xdotool({"getdisplaygeometry"});
    const int screenWidth = screenSize.section(' ', 0, 0).toInt(), screenHeight = screenSize.section(' ', 1, 1).toInt();
    const QSize size = windowSize(window);
    EXPECT_GE(size.width(), screenWidth * 3 / 4) << "most of the screen";
    EXPECT_GE(size.height(), screenHeight * 3 / 4);
    const QString geometry = xdotool({"getwindowgeometry", window});
    const QRegularExpressionMatch at = QRegularExpression(QStringLiteral("Position: (\\d+),(\\d+)")).match(geometry);
    EXPECT_NEAR(at.captured(1).toInt() + size.width() / 2, screenWidth / 2, 4) << "centred";
    EXPECT_NEAR(at.captured(2).toInt() + size.height() / 2, screenHeight / 2, 4);

    closeWelcome(window);
    xdotool({"windowsize", "--sync", window, "900", "620"});
    xdotool({"windowmove", "--sync", window, "70", "40"});
    for (int i = 0; i < 50 && !xdotool({"getwindowgeometry", window}).contains("Position: 70,40"); ++i)
        QThread::msleep(200);
    QThread::msleep(1000); // the program takes in its new place
    press(window, "ctrl+q");
    ASSERT_TRUE(first->waitForFinished(30000));

    QProcess* second = nullptr;
    const QString again = startAsNewUser(&second);
    ASSERT_FALSE(again.isEmpty());
    const QString back = xdotool({"getwindowgeometry", again});
    EXPECT_TRUE(back.contains("Position: 70,40")) << back.toStdString();
    EXPECT_TRUE(back.contains("Geometry: 900x620")) << back.toStdString();
}

TEST_F(MainWindow, ACorruptPresetDatabaseIsSetAsideAndTheProgramStarts)
{
    const QString folder = home.filePath("data/Velmora Labs/Velmora Strovane 2");
    QDir().mkpath(folder);
    QFile broken(folder + "/presets.sqlite");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray("SQLite format 3") + QByteArray(4096, '\x5a'));
    broken.close();

    start({});
    const QString box = windowNamed(QStringLiteral("Preset Database"));
    ASSERT_FALSE(box.isEmpty()) << "the user is told";
    press(box, "Return");
    const QString window = windowNamed(mainTitle());
    EXPECT_FALSE(waitForScreen(window, welcomeShown).empty()) << "and the program starts";
    const QStringList files = QDir(folder).entryList(QDir::Files);
    EXPECT_TRUE(files.contains("presets.sqlite")) << files.join(' ').toStdString();
    EXPECT_EQ(files.filter("presets.sqlite.unreadable-").size(), 1) << files.join(' ').toStdString();
}

// Dragging a slider repaints with its value; Ctrl+Z takes it back. As an
// external editor on a small photograph, so that Return writes the result.
TEST_F(MainWindow, DraggingBrushSizeRepaintsAndCtrlZTakesItBack)
{
    cv::Mat small;
    cv::resize(example(), small, cv::Size(640, 400), 0, 0, cv::INTER_AREA);
    const QString original = home.filePath("original.png"), photo = home.filePath("photo.png");
    ASSERT_TRUE(cv::imwrite(original.toStdString(), small));
    const cv::Mat standard = rendered(original, {});
    for (const bool undo : {false, true}) {
        SCOPED_TRACE(undo ? "dragged, then Ctrl+Z" : "dragged");
        ASSERT_TRUE(cv::imwrite(photo.toStdString(), small));
        QProcess* p = nullptr;
        const QString window = startedAndPainted(&p, {photo}, small);
        const QSize size = windowSize(window);
        const cv::Mat before = view(window);
        openAdjust(window);
        drag(window, size.width() - 156, 608, size.width() - 34, 608); // Brush Size, from 0.5 towards 1
        ASSERT_FALSE(waitForView(window, [&](const cv::Mat& v) { return sameShape(v, before) && meanDifference(v, before) > 1.0; }).empty())
            << "the preview follows the slider";
        if (undo) {
            press(window, "ctrl+z");
            waitForView(window, [&](const cv::Mat& v) { return sameShape(v, before) && meanDifference(v, before) < 1.0; });
        }
        press(window, "Return");
        ASSERT_TRUE(p->waitForFinished(120000));
        const cv::Mat painted = read(photo);
        if (undo) {
            EXPECT_LT(meanDifference(painted, standard), 1.0) << "Ctrl+Z brings the size back";
        } else {
            EXPECT_GT(meanDifference(painted, standard), 2.0) << "a larger brush paints another picture";
            EXPECT_LT(meanDifference(painted, rendered(original, {"--set", "stroke_brush_size=0.95"})), 6.0)
                << "about the size the handle was dragged to";
        }
        QDir(home.filePath("config")).removeRecursively();
    }
}

// At its own size the view shows the painting as the renderer paints it,
// stroke for stroke (the preview reduced and enlarged again is about a level
// from it): the part in view is painted for it, and so is the part a pan
// brings into view.
TEST_F(MainWindow, AtItsOwnSizeThePartInViewIsPaintedStrokeForStroke)
{
    QProcess* p = nullptr;
    const QString window = startedAndPainted(&p);
    const cv::Mat painting = rendered(binPath("Resources/images/example.jpg"), {});
    ASSERT_FALSE(painting.empty());
    // The middle of the view, found in the rendered painting near where it
    // should lie; how far from it the view is there, in 8-bit levels.
    constexpr int kPatch = 160, kSearch = 48;
    auto distance = [&](const cv::Mat& shot, cv::Point expected) {
        const cv::Rect middle((shot.cols - screen::kPanelWidth - kPatch) / 2, (shot.rows - kPatch) / 2, kPatch, kPatch);
        const cv::Rect near = cv::Rect(expected.x - kSearch, expected.y - kSearch, kPatch + 2 * kSearch, kPatch + 2 * kSearch)
            & cv::Rect(0, 0, painting.cols, painting.rows);
        cv::Mat scores;
        cv::matchTemplate(painting(near), shot(middle), scores, cv::TM_SQDIFF);
        cv::Point best;
        cv::minMaxLoc(scores, nullptr, nullptr, &best);
        return meanDifference(shot(middle), painting(cv::Rect(near.tl() + best, cv::Size(kPatch, kPatch))));
    };
    auto shownLike = [&](cv::Point expected, const char* what) {
        double last = -1;
        const bool sharp = !waitForScreen(window, [&](const cv::Mat& s) {
                               last = distance(s, expected);
                               return last < 0.25;
                           }, 60000).empty();
        EXPECT_TRUE(sharp) << what << ": " << last << " levels from the painting";
    };

    clickAt(window, 80, kTabsY); // the tool bar's 100 %
    shownLike(cv::Point(painting.cols / 2 - kPatch / 2, painting.rows / 2 - kPatch / 2), "zoomed in");
    for (int i = 0; i < 4; ++i)
        drag(window, 100, 150, 600, 650); // towards the top left corner
    const QSize size = windowSize(window);
    const cv::Point viewMiddle((size.width() - screen::kPanelWidth) / 2, size.height() / 2 - 64);
    shownLike(viewMiddle - cv::Point(kPatch / 2, kPatch / 2), "panned to the top left");
}
