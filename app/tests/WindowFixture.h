#pragma once
// The program as a new user meets it (no settings: the welcome comes up,
// the Styles panel first), watched on the screen: what the window shows,
// and the picture in its preview against the photograph.
#include "ImageDifference.h"
#include "ProgramFixture.h"
#include "Screen.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QSize>

#include <opencv2/imgcodecs.hpp>

#include <sstream>

class Window : public Program {
protected:
    static QString mainTitle() { return QStringLiteral("Velmora Strovane 2 V2.0.5"); }
    static QString questionTitle() { return QStringLiteral("May I have your attention, please?"); }
    static QString binPath(const char* relative)
    {
        return QFileInfo(QStringLiteral(VMSTROVANE2)).absolutePath() + QLatin1Char('/') + QLatin1String(relative);
    }
    static cv::Mat example() { return cv::imread(binPath("Resources/images/example.jpg").toStdString()); }

    void setSetting(const QString& key, const QVariant& value)
    {
        QSettings settings(home.filePath("config/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
        settings.setValue(QStringLiteral("appMain/") + key, value);
    }

    // The welcome's panel: its left margin is the dialog colour, where the
    // window shows a picture or panels otherwise.
    static bool welcomeShown(const cv::Mat& shot)
    {
        if (shot.empty())
            return false;
        const int width = std::min(560, shot.cols - 40), left = (shot.cols - width) / 2 + 4;
        const cv::Rect margin(left, shot.rows / 2 - 10, 8, 30);
        const cv::Mat block = shot(margin);
        return cv::countNonZero(cv::Mat(block != cv::Scalar(0x2e, 0x2e, 0x2e)).reshape(1)) == 0;
    }
    // Waits until the shot of the window satisfies ready.
    template <typename Ready>
    static cv::Mat waitForScreen(const QString& window, Ready ready, int timeoutMs = 90000)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs) {
            const cv::Mat shot = screen::grab(window);
            if (ready(shot))
                return shot;
            QThread::msleep(250);
        }
        return cv::Mat();
    }
    // Started as a new user starts it: the main window once the welcome
    // is up over the painting module.
    QString startAsNewUser(QProcess** process, const QStringList& args = {})
    {
        *process = start(args);
        // By the process: a copy that was just ended may still have its window.
        const QString window = windowOf(*process);
        if (window.isEmpty())
            return window;
        EXPECT_FALSE(waitForScreen(window, welcomeShown).empty()) << "the welcome comes up\n" << log(*process).toStdString();
        return window;
    }
    // Escape closes the welcome (the key goes again if it came too early,
    // or while a busy machine had the program wait).
    static void closeWelcome(const QString& window)
    {
        QElapsedTimer patience;
        patience.start();
        while (patience.elapsed() < 60000 && welcomeShown(screen::grab(window))) {
            press(window, "Escape");
            waitForScreen(window, [](const cv::Mat& s) { return !welcomeShown(s); }, 5000);
        }
        EXPECT_FALSE(welcomeShown(screen::grab(window))) << "Escape closes the welcome";
    }

    // The picture in the preview now.
    static cv::Mat view(const QString& window)
    {
        const cv::Mat shot = screen::grab(window);
        const cv::Rect r = screen::picture(shot);
        return r.empty() ? cv::Mat() : shot(r).clone();
    }
    // How far the view is from the photograph, in 8-bit levels per sample.
    static double differenceFrom(const cv::Mat& shown, const cv::Mat& photo)
    {
        return meanDifference(shown, screen::fitted(photo, shown.size()));
    }
    static bool sameShape(const cv::Mat& shown, const cv::Mat& photo)
    {
        if (shown.empty() || shown.cols < 16 || shown.rows < 16)
            return false;
        const double a = double(shown.cols) / shown.rows, b = double(photo.cols) / photo.rows;
        return std::abs(a - b) / b < 0.03;
    }
    // A painting of the photograph: as far from it as strokes take a
    // picture, no further. The photograph itself, shown reduced, stays
    // within kPhotoShown.
    static constexpr double kPhotoShown = 2.5;
    static bool paintingOf(const cv::Mat& shown, const cv::Mat& photo)
    {
        if (!sameShape(shown, photo))
            return false;
        const double d = differenceFrom(shown, photo);
        return d > kPhotoShown && d < 40.0;
    }
    // Waits until the view holds still (two looks a second apart agree) and
    // satisfies wanted; the view then, empty on time-out (with why).
    template <typename Wanted>
    static cv::Mat waitForView(const QString& window, Wanted wanted, std::string* why = nullptr, int timeoutMs = 120000)
    {
        QElapsedTimer timer;
        timer.start();
        cv::Mat last;
        std::ostringstream seen;
        while (timer.elapsed() < timeoutMs) {
            const cv::Mat now = view(window);
            if (!now.empty() && !last.empty() && now.size() == last.size() && meanDifference(now, last) < 0.1
                && wanted(now))
                return now;
            last = now;
            QThread::msleep(1000);
        }
        if (why) {
            seen << "view " << last.cols << "x" << last.rows;
            *why = seen.str();
        }
        return cv::Mat();
    }
    // The view once it has not changed for holdMs: a painting that a busy
    // machine draws slowly can pause between its batches for a second.
    static cv::Mat settledView(const QString& window, int holdMs = 4000, int timeoutMs = 120000)
    {
        QElapsedTimer timer, still;
        timer.start();
        still.start();
        cv::Mat last = view(window);
        while (timer.elapsed() < timeoutMs && still.elapsed() < holdMs) {
            QThread::msleep(250);
            const cv::Mat now = view(window);
            if (now.empty() || last.empty() || now.size() != last.size() || meanDifference(now, last) >= 0.1)
                still.restart();
            last = now;
        }
        return last;
    }
    static cv::Mat waitForPaintingOf(const QString& window, const cv::Mat& photo, int timeoutMs = 120000)
    {
        std::string why;
        const cv::Mat shown = waitForView(window, [&](const cv::Mat& v) { return paintingOf(v, photo); }, &why, timeoutMs);
        if (shown.empty()) {
            // What the window showed instead, for the failure's report.
            const cv::Mat shot = screen::grab(window), last = view(window);
            cv::Scalar mean, deviation;
            if (!last.empty())
                cv::meanStdDev(last, mean, deviation);
            const std::string file = "failed-view-" + std::to_string(QCoreApplication::applicationPid()) + ".png";
            if (!shot.empty())
                cv::imwrite(file, shot);
            ADD_FAILURE() << "the view shows a painting of the photograph (" << why << ", "
                          << (sameShape(last, photo) ? differenceFrom(last, photo) : -1.0) << " levels from it; mean "
                          << mean[2] << "," << mean[1] << "," << mean[0] << " deviation " << deviation[0]
                          << (welcomeShown(shot) ? ", a welcome over it" : "") << "; the window in " << file << ")";
        }
        return shown;
    }

    // Window-relative places of the painting panel (on the right, 300
    // pixels wide) and its footer.
    static QSize windowSize(const QString& window) { return windowRect(window).size(); }
    static QRect windowRect(const QString& window)
    {
        const QString g = xdotool({"getwindowgeometry", window});
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Position: (-?\\d+),(-?\\d+).*Geometry: (\\d+)x(\\d+)"),
                               QRegularExpression::DotMatchesEverythingOption)
                .match(g);
        return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    }
    static void clickAt(const QString& window, int x, int y, int button = 1)
    {
        xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y), "click", QString::number(button)});
    }
    // A click on the panel at the right, then until the panel has changed
    // and holds still (a tab shown, a section opened), however busy the
    // machine is.
    static void clickPanel(const QString& window, int x, int y)
    {
        auto panel = [](const cv::Mat& shot) {
            return shot.empty() ? cv::Mat() : shot(cv::Rect(shot.cols - 300, 0, 300, shot.rows)).clone();
        };
        const cv::Mat before = panel(screen::grab(window));
        clickAt(window, x, y);
        cv::Mat last;
        waitForScreen(window, [&](const cv::Mat& shot) {
            const cv::Mat now = panel(shot);
            const bool settled = !last.empty() && now.size() == last.size() && meanDifference(now, last) == 0
                && now.size() == before.size() && meanDifference(now, before) > 0;
            last = now;
            return settled;
        }, 30000);
        // Controls under the pointer take the next press as new (not the
        // second half of a double click).
        QThread::msleep(600);
    }
    static void drag(const QString& window, int x0, int y0, int x1, int y1)
    {
        xdotool({"mousemove", "--window", window, QString::number(x0), QString::number(y0), "mousedown", "1"});
        for (int i = 1; i <= 8; ++i)
            xdotool({"mousemove", "--window", window, QString::number(x0 + (x1 - x0) * i / 8),
                     QString::number(y0 + (y1 - y0) * i / 8)});
        xdotool({"mouseup", "1"});
    }
    static constexpr int kTabsY = 41;
    // The n-th style tile (0: the first), as the Styles panel lays them out
    // under its find row before it is scrolled.
    static QPoint styleTile(const QSize& w, int n) { return QPoint(w.width() - (n % 2 ? 78 : 223), 145 + 112 * (n / 2)); }
    static QPoint styleFilter(const QSize& w) { return QPoint(w.width() - 234, 80); }
    static QPoint styleGroup(const QSize& w) { return QPoint(w.width() - 67, 80); }
    static QPoint adjustTab(const QSize& w) { return QPoint(w.width() - 242, kTabsY); }
    static QPoint stylesTab(const QSize& w) { return QPoint(w.width() - 140, kTabsY); }

    // Presses Escape on a window of that title until it is gone.
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
    // The save dialog: the file's path typed over the proposal, then the
    // format's options, over the middle of the main window, taken as they
    // are.
    static void saveAs(const QString& path, const QString& optionsTitle, const QString& mainWindow)
    {
        const QString dialog = windowNamed(QStringLiteral("Save Image"), 120000);
        ASSERT_FALSE(dialog.isEmpty()) << "the save dialog opens";
        type(dialog, path);
        press(dialog, "Return");
        const QString options = windowNamed(optionsTitle);
        ASSERT_FALSE(options.isEmpty()) << optionsTitle.toStdString();
        const QPoint offCentre = windowRect(options).center() - windowRect(mainWindow).center();
        EXPECT_LE(offCentre.manhattanLength(), 8) << optionsTitle.toStdString() << " is centred on the window";
        press(options, "Return");
    }
    static bool waitForFile(const QString& path, int timeoutMs = 60000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFileInfo(path).isFile() && timer.elapsed() < timeoutMs)
            QThread::msleep(200);
        QThread::msleep(300);
        return QFileInfo(path).isFile();
    }
    // What strovane-render paints of input with these arguments.
    cv::Mat rendered(const QString& input, const QStringList& args)
    {
        const QString out = home.filePath("rendered.png");
        QProcess render;
        render.start(binPath("strovane-render"), args + QStringList{input, out});
        render.waitForFinished(180000);
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        return cv::imread(out.toStdString());
    }
};
