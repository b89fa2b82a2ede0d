// The Styles panel as a new user meets it: the real program under the
// test's X display with no settings of its own, a photograph of the test's
// making opened, and the style tiles watched on the screen.
#include "WindowFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

namespace {

// Synthetic photographs: broad shapes with edges and texture, as strokes
// meet them in a photograph.
cv::Mat harbour(const cv::Size& size)
{
    const int w = size.width, h = size.height;
    cv::Mat m(size, CV_8UC3);
    for (int y = 0; y < h; ++y) {
        const double t = double(y) / h;
        const cv::Vec3b colour = y < h * 0.45 ? cv::Vec3b(uchar(235 - 80 * t), uchar(200 - 60 * t), uchar(150 - 60 * t))
                                              : cv::Vec3b(uchar(150 - 60 * t), uchar(110 - 40 * t), uchar(40));
        m.row(y).setTo(cv::Scalar(colour[0], colour[1], colour[2]));
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, w), waveY(int(h * 0.47), h);
    for (int i = 0; i < 900; ++i) {
        const cv::Point p(x(random), waveY(random));
        cv::line(m, p, p + cv::Point(w / 40, 0), cv::Scalar(190, 160, 90), std::max(1, h / 400));
    }
    // Hills and houses along the quay.
    cv::ellipse(m, cv::Point(w / 4, int(h * 0.45)), cv::Size(w / 3, h / 7), 0, 180, 360, cv::Scalar(60, 110, 70), cv::FILLED);
    cv::ellipse(m, cv::Point(w * 3 / 4, int(h * 0.45)), cv::Size(w / 3, h / 5), 0, 180, 360, cv::Scalar(50, 95, 80), cv::FILLED);
    const cv::Scalar facades[] = {{40, 60, 200}, {60, 190, 230}, {200, 150, 60}, {240, 240, 240}, {50, 120, 230}};
    for (int i = 0; i < 14; ++i) {
        const int left = i * w / 14, top = int(h * (0.33 + 0.03 * (i % 3)));
        cv::rectangle(m, cv::Rect(left, top, w / 15, int(h * 0.45) - top), facades[i % 5], cv::FILLED);
        cv::rectangle(m, cv::Rect(left + w / 60, top + h / 30, w / 50, h / 25), cv::Scalar(40, 40, 40), cv::FILLED);
    }
    // Boats with masts.
    for (int i = 0; i < 6; ++i) {
        const int cx = w / 10 + i * w / 6, cy = int(h * (0.62 + 0.05 * (i % 3)));
        const cv::Point hull[] = {{cx - w / 16, cy}, {cx + w / 16, cy}, {cx + w / 22, cy + h / 14}, {cx - w / 22, cy + h / 14}};
        cv::fillConvexPoly(m, hull, 4, facades[(i + 2) % 5]);
        cv::line(m, cv::Point(cx, cy), cv::Point(cx, cy - h / 4), cv::Scalar(30, 30, 30), std::max(2, w / 400));
    }
    return m;
}

cv::Mat portrait(const cv::Size& size)
{
    const int w = size.width, h = size.height;
    cv::Mat m(size, CV_8UC3, cv::Scalar(90, 120, 60));
    for (int y = 0; y < h; ++y)
        m.row(y) += cv::Scalar(y * 60 / h, 0, 0);
    cv::ellipse(m, cv::Point(w / 2, h), cv::Size(w / 3, h / 3), 0, 180, 360, cv::Scalar(120, 40, 40), cv::FILLED);
    cv::ellipse(m, cv::Point(w / 2, int(h * 0.42)), cv::Size(w / 6, h / 4), 0, 0, 360, cv::Scalar(140, 170, 225), cv::FILLED);
    cv::ellipse(m, cv::Point(w / 2, int(h * 0.27)), cv::Size(w / 5, h / 9), 0, 180, 360, cv::Scalar(30, 50, 90), cv::FILLED);
    for (int side : {-1, 1})
        cv::circle(m, cv::Point(w / 2 + side * w / 14, int(h * 0.4)), std::max(2, w / 60), cv::Scalar(60, 40, 30), cv::FILLED);
    cv::ellipse(m, cv::Point(w / 2, int(h * 0.52)), cv::Size(w / 20, h / 60), 0, 0, 180, cv::Scalar(70, 60, 170), std::max(2, w / 200));
    return m;
}

cv::Mat forest(const cv::Size& size)
{
    const int w = size.width, h = size.height;
    cv::Mat m(size, CV_8UC3, cv::Scalar(200, 215, 190));
    cv::rectangle(m, cv::Rect(0, int(h * 0.7), w, h - int(h * 0.7)), cv::Scalar(40, 90, 70), cv::FILLED);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, w), g(70, 150), width(w / 80, w / 30);
    for (int i = 0; i < 60; ++i) {
        const int cx = x(random), trunk = width(random), green = g(random);
        cv::rectangle(m, cv::Rect(cx - trunk / 2, int(h * 0.25), trunk, int(h * 0.6)), cv::Scalar(30, 50, 80), cv::FILLED);
        const cv::Point crown[] = {{cx, int(h * 0.05)}, {cx - w / 20, int(h * 0.55)}, {cx + w / 20, int(h * 0.55)}};
        cv::fillConvexPoly(m, crown, 3, cv::Scalar(30, green, 40));
    }
    return m;
}

struct Style {
    QString guid;
    QString name;
    QString thumbnail; // the bundled one's path
    QJsonObject preset;
};

class StylePanel : public Window {
protected:
    // As large as a first start makes it on a 1280 x 1024 screen, whatever
    // this screen: four rows of tiles in sight.
    void sizeAsAFirstStart(const QString& window)
    {
        xdotool({"windowsize", "--sync", window, "1024", "819"});
        for (int i = 0; i < 50 && windowSize(window) != QSize(1024, 819); ++i)
            QThread::msleep(200);
    }
    static std::vector<Style> builtInStyles()
    {
        QFile file(binPath("Resources/styles/styles.json"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        std::vector<Style> styles;
        for (const QJsonValue v : QJsonDocument::fromJson(file.readAll()).object().value("styles").toArray()) {
            const QJsonObject o = v.toObject();
            styles.push_back({o.value("guid").toString(), o.value("name").toString(),
                              binPath("Resources/styles/") + o.value("thumbnail").toString(), o.value("preset").toObject()});
        }
        return styles;
    }
    QString write(const char* name, const cv::Mat& image)
    {
        const QString path = home.filePath(QLatin1String(name));
        EXPECT_TRUE(cv::imwrite(path.toStdString(), image));
        return path;
    }
    // The picture a thumbnail is painted from: at most 240 pixels long.
    static cv::Mat thumbnailSized(const cv::Mat& photo)
    {
        const double scale = 240.0 / std::max(photo.cols, photo.rows);
        cv::Mat small;
        cv::resize(photo, small, cv::Size(int(std::lround(photo.cols * scale)), int(std::lround(photo.rows * scale))), 0, 0,
                   cv::INTER_AREA);
        return small;
    }
    // What strovane-render paints of the thumbnail-sized photograph in style.
    cv::Mat renderedThumbnail(const QString& smallPhoto, const Style& style)
    {
        QFile preset(home.filePath("style.json"));
        EXPECT_TRUE(preset.open(QIODevice::WriteOnly | QIODevice::Truncate));
        preset.write(QJsonDocument(style.preset).toJson());
        preset.close();
        return rendered(smallPhoto, {"--preset", preset.fileName()});
    }

    // The inside of the n-th tile's picture (138 x 86 on the screen,
    // centred on styleTile), without its border.
    static cv::Rect tileInside(const QSize& w, int n)
    {
        const QPoint c = styleTile(w, n);
        return cv::Rect(c.x() - 64, c.y() - 38, 128, 76);
    }
    // An image as the tile shows it: filling 138 x 86, the inside taken.
    static cv::Mat asTile(const cv::Mat& image)
    {
        const double scale = std::max(138.0 / image.cols, 86.0 / image.rows);
        cv::Mat scaled;
        cv::resize(image, scaled, cv::Size(int(std::ceil(image.cols * scale)), int(std::ceil(image.rows * scale))), 0, 0,
                   cv::INTER_AREA);
        const cv::Rect inside((scaled.cols - 128) / 2, (scaled.rows - 76) / 2, 128, 76);
        return scaled(inside).clone();
    }
    static cv::Mat blurred(const cv::Mat& image)
    {
        cv::Mat b;
        cv::GaussianBlur(image, b, cv::Size(0, 0), 3.0);
        return b;
    }
    static cv::Mat tile(const cv::Mat& shot, const QSize& w, int n)
    {
        const cv::Rect r = tileInside(w, n);
        if (shot.empty() || r.x < 0 || r.y < 0 || r.br().x > shot.cols || r.br().y > shot.rows)
            return cv::Mat();
        return shot(r).clone();
    }
    // Thumbnail files by picture: PICTURE-STYLE.png.
    std::map<QString, int> thumbnailFiles() const
    {
        std::map<QString, int> pictures;
        for (const QString& name : QDir(home.filePath(".cache/Velmora Labs/Velmora Strovane 2/style-thumbnails"))
                                       .entryList({"*.png"}, QDir::Files))
            ++pictures[name.section(QLatin1Char('-'), 0, 0)];
        return pictures;
    }
    // Ctrl+O with the pointer over the view, away from the tiles (a tile
    // under it wears a border and a tooltip); the painting left unsaved;
    // the dialog with path typed.
    QString openPicture(const QString& window, const QString& path)
    {
        xdotool({"mousemove", "--window", window, "200", "300"});
        press(window, "ctrl+o");
        // A style chosen is a painting not saved: the program asks first.
        QString dialog;
        for (int i = 0; i < 30 && dialog.isEmpty(); ++i) {
            const QString question = windowNamed(questionTitle(), 500);
            if (!question.isEmpty())
                press(question, "n"); // Don't Save
            dialog = windowNamed(QStringLiteral("Open an Image"), 500);
        }
        EXPECT_FALSE(dialog.isEmpty()) << "the open dialog comes up";
        type(dialog, path);
        return dialog;
    }
    // A click on a tile, then how long until the view held its painting
    // (the last change of the view, once it has held still for 2 s).
    static qint64 answerToClick(const QString& window, const QPoint& at)
    {
        const cv::Mat before = view(window);
        QElapsedTimer timer;
        timer.start();
        clickAt(window, at.x(), at.y());
        cv::Mat last = before;
        qint64 lastChange = -1;
        while (timer.elapsed() < 120000) {
            const cv::Mat now = view(window);
            if (!now.empty() && (now.size() != last.size() || meanDifference(now, last) > 0.05)) {
                lastChange = timer.elapsed();
                last = now;
            }
            if (lastChange >= 0 && timer.elapsed() - lastChange > 2000)
                return lastChange;
            QThread::msleep(50);
        }
        return -1;
    }
};

constexpr int kVisibleTiles = 8, kStyles = 26;

} // namespace

// A 2560 x 1600 photograph opened: within 10 s the eight tiles in sight show
// it painted in their styles (as strovane-render paints it at thumbnail size,
// unlike the bundled thumbnail), all 26 are painted within 40 s, and a style
// clicked meanwhile answers as fast as once the work is done. Opened again
// after a restart, the tiles show their thumbnails at once.
TEST_F(StylePanel, TilesShowTheOpenPhotographPaintedInTheirStyles)
{
    const std::vector<Style> styles = builtInStyles();
    ASSERT_EQ(int(styles.size()), kStyles);
    const cv::Mat photo = harbour(cv::Size(2560, 1600));
    const QString photoPath = write("harbour.png", photo);
    const QString smallPath = write("harbour-small.png", thumbnailSized(photo));
    std::vector<cv::Mat> expected, bundled;
    for (int n = 0; n < kVisibleTiles; ++n) {
        expected.push_back(asTile(renderedThumbnail(smallPath, styles[size_t(n)])));
        bundled.push_back(asTile(cv::imread(styles[size_t(n)].thumbnail.toStdString())));
        ASSERT_FALSE(expected.back().empty() || bundled.back().empty()) << styles[size_t(n)].name.toStdString();
    }
    // A tile shows its style's painting of the harbour: nearer its own
    // render than any other style's, near it in the large (strokes of a
    // render may fall a little otherwise), far from the bundled thumbnail.
    auto shows = [&](const cv::Mat& shown, int n) {
        if (shown.empty())
            return false;
        const double near = meanDifference(blurred(shown), blurred(expected[size_t(n)]));
        for (int other = 0; other < kVisibleTiles; ++other) {
            if (other != n && meanDifference(shown, expected[size_t(other)]) <= meanDifference(shown, expected[size_t(n)]))
                return false;
        }
        return near < 8.0 && near * 3 < meanDifference(shown, bundled[size_t(n)]);
    };

    QProcess* program = nullptr;
    const QString window = startAsNewUser(&program);
    ASSERT_FALSE(window.isEmpty());
    closeWelcome(window);
    sizeAsAFirstStart(window);
    waitForPaintingOf(window, example());
    const QSize size = windowSize(window);
    // Every style painted on the example first: the harbour's work is all
    // that follows.
    auto allPainted = [&](size_t pictures) {
        const std::map<QString, int> files = thumbnailFiles();
        return files.size() == pictures
            && std::all_of(files.begin(), files.end(), [](const std::pair<const QString, int>& p) { return p.second == kStyles; });
    };
    ASSERT_FALSE(waitForScreen(window, [&](const cv::Mat&) { return allPainted(1); }).empty())
        << "the example gets its thumbnails";

    // Classic Oil chosen: a click on Palette-Knife Landscape, with the
    // thumbnails under way and without, makes the same change.
    ASSERT_GT(answerToClick(window, styleTile(size, 3)), 0);
    const QString dialog = openPicture(window, photoPath);
    QElapsedTimer sinceArrival;
    press(dialog, "Return");
    sinceArrival.start();
    cv::Mat shot;
    qint64 visibleAt = -1;
    while (sinceArrival.elapsed() < 60000) {
        shot = screen::grab(window);
        int ready = 0;
        for (int n = 0; n < kVisibleTiles; ++n)
            ready += shows(tile(shot, size, n), n) ? 1 : 0;
        if (ready == kVisibleTiles) {
            visibleAt = sinceArrival.elapsed();
            break;
        }
        QThread::msleep(100);
    }
    std::ostringstream tiles;
    for (int n = 0; n < kVisibleTiles; ++n) {
        const cv::Mat shown = tile(shot, size, n);
        tiles << styles[size_t(n)].name.toStdString() << ": " << meanDifference(shown, expected[size_t(n)]) << " from the render ("
              << meanDifference(blurred(shown), blurred(expected[size_t(n)])) << " in the large), "
              << meanDifference(shown, bundled[size_t(n)]) << " from the bundled thumbnail\n";
    }
    ASSERT_GE(visibleAt, 0) << "the tiles in sight show the harbour painted in their styles\n" << tiles.str();
    std::cout << "tiles in sight painted " << visibleAt << " ms after the photograph arrived\n" << tiles.str();

    // A style clicked while the rest are painted.
    const qint64 busy = answerToClick(window, styleTile(size, 2));
    qint64 allAt = -1;
    while (sinceArrival.elapsed() < 90000) {
        if (allPainted(2)) { // the example's and the harbour's
            allAt = sinceArrival.elapsed();
            break;
        }
        QThread::msleep(100);
    }
    ASSERT_GE(allAt, 0) << "every style gets its thumbnail of the harbour";
    std::cout << "all " << kStyles << " thumbnails " << allAt << " ms after the photograph arrived\n";

    // The same click with nothing in the background.
    ASSERT_GT(answerToClick(window, styleTile(size, 3)), 0);
    const qint64 idle = answerToClick(window, styleTile(size, 2));
    ASSERT_GT(busy, 0);
    ASSERT_GT(idle, 0);
    // The figures are printed, not judged: a shared machine's timings
    // wander (scripts/bench-preview-ui.sh measures the click).
    std::cout << "a style click answered in " << busy << " ms during the thumbnails, " << idle << " ms after them\n";

    // Started again, the harbour's tiles come from the cache at once.
    const std::map<QString, int> painted = thumbnailFiles();
    program->kill();
    program->waitForFinished(10000);
    const QString again = startAsNewUser(&program);
    ASSERT_FALSE(again.isEmpty());
    closeWelcome(again);
    xdotool({"windowsize", "--sync", again, "1024", "819"});
    for (int i = 0; i < 50 && windowSize(again) != QSize(1024, 819); ++i)
        QThread::msleep(200);
    const QString secondDialog = openPicture(again, photoPath);
    press(secondDialog, "Return");
    // From the moment the view shows the harbour (the photograph or its
    // painting) to the moment its tiles do.
    QElapsedTimer reopened;
    reopened.start();
    qint64 arrived = -1, shown = -1;
    while (reopened.elapsed() < 30000 && (shown < 0 || arrived < 0)) {
        const cv::Mat s = screen::grab(again);
        const cv::Rect r = screen::picture(s);
        if (arrived < 0 && !r.empty() && sameShape(s(r), photo) && differenceFrom(s(r), photo) < 30.0
            && differenceFrom(s(r), photo) < differenceFrom(s(r), example()))
            arrived = reopened.elapsed();
        bool all = true;
        for (int n = 0; n < kVisibleTiles && all; ++n)
            all = shows(tile(s, size, n), n);
        if (all && shown < 0)
            shown = reopened.elapsed();
        QThread::msleep(50);
    }
    ASSERT_GE(shown, 0) << "the reopened harbour's tiles are shown";
    ASSERT_GE(arrived, 0) << "the view shows the harbour";
    std::cout << "reopened: the harbour in the view after " << arrived << " ms, its tiles after " << shown << " ms\n";
    EXPECT_EQ(thumbnailFiles(), painted) << "the tiles come from the cache: nothing painted again";
}

// Each photograph gets tiles of its own: a harbour, a portrait and a forest
// opened in turn, the tiles in sight leave the bundled thumbnails and the
// previous photograph's behind. With STROVANE_TEST_SHOTS set, the window
// is kept there as <photograph>.png for a person to look at.
TEST_F(StylePanel, EachPhotographGetsTilesOfItsOwn)
{
    const std::vector<Style> styles = builtInStyles();
    struct Photo {
        const char* name;
        cv::Mat image;
    } photos[] = {
        {"harbour", harbour(cv::Size(1600, 1000))},
        {"portrait", portrait(cv::Size(1000, 1400))},
        {"forest", forest(cv::Size(1800, 1200))},
    };
    QProcess* program = nullptr;
    const QString window = startAsNewUser(&program);
    ASSERT_FALSE(window.isEmpty());
    closeWelcome(window);
    sizeAsAFirstStart(window);
    const QSize size = windowSize(window);
    std::vector<cv::Mat> bundled;
    for (int n = 0; n < kVisibleTiles; ++n)
        bundled.push_back(asTile(cv::imread(styles[size_t(n)].thumbnail.toStdString())));
    std::vector<cv::Mat> previous = bundled;
    for (const Photo& photo : photos) {
        const QString path = write((std::string(photo.name) + ".png").c_str(), photo.image);
        press(openPicture(window, path), "Return");
        std::vector<cv::Mat> now(kVisibleTiles);
        const cv::Mat shot = waitForScreen(window, [&](const cv::Mat& s) {
            for (int n = 0; n < kVisibleTiles; ++n) {
                now[size_t(n)] = tile(s, size, n);
                if (now[size_t(n)].empty() || meanDifference(now[size_t(n)], bundled[size_t(n)]) < 25.0
                    || meanDifference(now[size_t(n)], previous[size_t(n)]) < 15.0)
                    return false;
            }
            return true;
        }, 60000);
        ASSERT_FALSE(shot.empty()) << photo.name << ": the tiles show it";
        // Painted, not the photograph: the styles differ among themselves.
        EXPECT_GT(meanDifference(now[0], now[5]), 10.0) << photo.name << ": Loose Impasto and Pen and Ink Hatching";
        previous = now;
        const QByteArray shots = qgetenv("STROVANE_TEST_SHOTS");
        if (!shots.isEmpty())
            cv::imwrite(QDir(QString::fromLocal8Bit(shots)).filePath(QLatin1String(photo.name) + ".png").toStdString(),
                        screen::grab(window));
    }
}

namespace {

struct UserStyle {
    QString guid;
    QString name;
    QJsonObject params;
};

class UsersStyles : public StylePanel {
protected:
    // The user's own styles as the preset database holds them.
    std::vector<UserStyle> userStyles() const
    {
        std::vector<UserStyle> styles;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(home.filePath("data/Velmora Labs/Velmora Strovane 2/presets.sqlite"));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
            if (db.open()) {
                QSqlQuery q(QStringLiteral("SELECT guid, name, preset FROM styles WHERE builtin = 0 ORDER BY name"), db);
                while (q.next())
                    styles.push_back({q.value(0).toString(), q.value(1).toString(),
                                      QJsonDocument::fromJson(q.value(2).toString().toUtf8()).object().value("params").toObject()});
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return styles;
    }
    template <typename Ready>
    std::vector<UserStyle> waitForStyles(Ready ready) const
    {
        QElapsedTimer timer;
        timer.start();
        std::vector<UserStyle> styles = userStyles();
        while (!ready(styles) && timer.elapsed() < 20000) {
            QThread::msleep(200);
            styles = userStyles();
        }
        return styles;
    }
    // The tile wears the accent around it: the style chosen.
    static bool chosen(const cv::Mat& shot, const QPoint& tileCentre)
    {
        if (shot.empty())
            return false;
        const cv::Vec3b accent(0x4a, 0x95, 0xd9);
        // Within a few pixels of where the tile's edges lie.
        auto edge = [&](int from, int to) {
            for (int y = tileCentre.y() + from; y <= tileCentre.y() + to; ++y) {
                if (y >= 0 && y < shot.rows && shot.at<cv::Vec3b>(y, tileCentre.x()) == accent)
                    return true;
            }
            return false;
        };
        return edge(-48, -38) && edge(38, 48);
    }
    // The style's settings (the values of a preset that are set).
    static bool sameSettings(const QJsonObject& style, const QJsonObject& preset)
    {
        const QJsonObject params = preset.value("params").toObject();
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (style.value(it.key()).isDouble() ? std::abs(style.value(it.key()).toDouble() - it.value().toDouble()) > 1e-4
                                                 : style.value(it.key()) != it.value())
                return false;
        }
        return true;
    }
    // A right click on the tile, then its menu's n-th entry by the keys.
    static void fromMenu(const QString& window, const QPoint& tileCentre, int entry)
    {
        clickAt(window, tileCentre.x(), tileCentre.y(), 3);
        QThread::msleep(1000);
        for (int i = 0; i <= entry; ++i)
            xdotool({"key", "Down"});
        xdotool({"key", "Return"});
    }
};

} // namespace

// Keys, Keep Style, a name clash, Rename, Update with the current settings,
// Delete and Ctrl+Z, a built-in style duplicated, as a user does them,
// checked on the screen and in the preset database.
TEST_F(UsersStyles, AreKeptRenamedUpdatedDeletedAndBroughtBack)
{
    const std::vector<Style> styles = builtInStyles();
    QProcess* program = nullptr;
    const QString window = startAsNewUser(&program);
    ASSERT_FALSE(window.isEmpty());
    closeWelcome(window);
    sizeAsAFirstStart(window);
    const QSize size = windowSize(window);
    const cv::Mat standard = waitForPaintingOf(window, example());
    xdotool({"mousemove", "--window", window, "200", "300"});

    // Down takes the first style, Down the one below it, Right its
    // neighbour: Classic Oil, painted and chosen.
    for (const char* key : {"Down", "Down", "Right"}) {
        press(window, key);
        QThread::msleep(300);
    }
    const cv::Mat oil = waitForView(window, [&](const cv::Mat& v) { return sameShape(v, standard) && meanDifference(v, standard) > 2.0; });
    ASSERT_FALSE(oil.empty()) << "the arrow keys apply the style they reach";
    EXPECT_TRUE(chosen(screen::grab(window), styleTile(size, 3))) << "Classic Oil is chosen";

    // Kept under a name with spaces around it: trimmed, in sight, chosen.
    const QPoint nameField(size.width() - 254, size.height() - 69);
    clickAt(window, nameField.x(), nameField.y());
    type(window, "  Harbour Light ");
    press(window, "Return");
    std::vector<UserStyle> mine = waitForStyles([](const std::vector<UserStyle>& s) { return s.size() == 1; });
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].name, "Harbour Light");
    EXPECT_TRUE(sameSettings(mine[0].params, styles[3].preset)) << "Classic Oil's settings";
    const QPoint kept(size.width() - 223, size.height() - 188); // the last row, the grid scrolled to it
    EXPECT_FALSE(waitForScreen(window, [&](const cv::Mat& s) { return chosen(s, kept); }, 10000).empty())
        << "the new style is in sight and chosen";

    // The same name again asks; Cancel leaves the style as it was.
    clickAt(window, nameField.x(), nameField.y());
    type(window, "harbour light");
    press(window, "Return");
    const QString ask = windowNamed(QStringLiteral("Keep Style"), 10000);
    ASSERT_FALSE(ask.isEmpty()) << "a name taken asks to replace or to choose another";
    press(ask, "Escape");
    QThread::msleep(500);
    EXPECT_EQ(userStyles().size(), 1u);

    // Renamed in place; a built-in's name is refused.
    fromMenu(window, kept, 0);
    QThread::msleep(800);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--delay", "10", "Loose Impasto"});
    xdotool({"key", "Return"});
    QThread::msleep(800);
    EXPECT_EQ(userStyles().at(0).name, "Harbour Light") << "a built-in's name is taken";
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--delay", "10", " Dusk Harbour "});
    xdotool({"key", "Return"});
    mine = waitForStyles([](const std::vector<UserStyle>& s) { return s.size() == 1 && s[0].name == "Dusk Harbour"; });
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(mine[0].name, "Dusk Harbour");
    const QString guid = mine[0].guid;

    // Up chooses the style two before it; Update puts its settings in.
    xdotool({"mousemove", "--window", window, "200", "300"});
    press(window, "Up");
    waitForView(window, [&](const cv::Mat& v) { return sameShape(v, oil) && meanDifference(v, oil) > 2.0; });
    fromMenu(window, kept, 1);
    mine = waitForStyles([&](const std::vector<UserStyle>& s) { return s.size() == 1 && sameSettings(s[0].params, styles[24].preset); });
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_TRUE(sameSettings(mine[0].params, styles[24].preset)) << "updated with the current settings";
    EXPECT_EQ(mine[0].guid, guid);

    // Deleted after asking; Ctrl+Z brings it back.
    fromMenu(window, kept, 3);
    const QString confirm = windowNamed(QStringLiteral("Delete Style"), 10000);
    ASSERT_FALSE(confirm.isEmpty()) << "Delete asks";
    press(confirm, "Return");
    EXPECT_TRUE(waitForStyles([](const std::vector<UserStyle>& s) { return s.empty(); }).empty()) << "deleted";
    press(window, "ctrl+z");
    mine = waitForStyles([](const std::vector<UserStyle>& s) { return s.size() == 1; });
    ASSERT_EQ(mine.size(), 1u) << "Ctrl+Z brings the style back";
    EXPECT_EQ(mine[0].guid, guid);
    EXPECT_EQ(mine[0].name, "Dusk Harbour");
    EXPECT_TRUE(sameSettings(mine[0].params, styles[24].preset));

    // A built-in style's menu: a right click applies nothing; Duplicate as
    // My Style keeps its settings under a name then there to be changed.
    xdotool({"mousemove", "--window", window, "200", "300"});
    const cv::Mat shown = waitForView(window, [](const cv::Mat&) { return true; });
    const QPoint knife(kept.x(), kept.y() - 112); // Thick Knife Still Life, the row above
    fromMenu(window, knife, 1);
    mine = waitForStyles([](const std::vector<UserStyle>& s) { return s.size() == 2; });
    ASSERT_EQ(mine.size(), 2u) << "duplicated";
    QThread::msleep(800);
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--delay", "10", "My Knife"});
    xdotool({"key", "Return"});
    mine = waitForStyles([](const std::vector<UserStyle>& s) { return s.size() == 2 && s[1].name == "My Knife"; });
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[1].name, "My Knife") << "named in place";
    EXPECT_TRUE(sameSettings(mine[1].params, styles[24].preset));
    xdotool({"mousemove", "--window", window, "200", "300"});
    QThread::msleep(1500);
    EXPECT_LT(meanDifference(view(window), shown), 0.5) << "the right click applied nothing";
}

// The filter above the grid keeps the styles whose names hold its text;
// the group choice keeps a group's.
TEST_F(StylePanel, AStyleIsFoundByNameAndByGroup)
{
    const std::vector<Style> styles = builtInStyles();
    QProcess* program = nullptr;
    const QString window = startAsNewUser(&program);
    ASSERT_FALSE(window.isEmpty());
    closeWelcome(window);
    sizeAsAFirstStart(window);
    const QSize size = windowSize(window);
    // The example's tiles all painted: they change no more.
    ASSERT_FALSE(waitForScreen(window, [&](const cv::Mat&) {
        const std::map<QString, int> files = thumbnailFiles();
        return files.size() == 1 && files.begin()->second == kStyles;
    }).empty());
    xdotool({"mousemove", "--window", window, "200", "300"});
    QThread::msleep(1500);
    const cv::Mat before = screen::grab(window);
    // The first tile shows what tile n showed before, nearer to it than to
    // any other tile then in sight (a tile in the other column is sampled
    // half a pixel otherwise).
    auto distance = [&](const cv::Mat& s, int n) { return meanDifference(blurred(tile(s, size, 0)), blurred(tile(before, size, n))); };
    auto showsFirst = [&](int n) {
        return [&, n](const cv::Mat& s) {
            for (int other = 0; other < 10; ++other) {
                if (other != n && distance(s, other) <= distance(s, n))
                    return false;
            }
            return distance(s, n) < 4.0;
        };
    };

    struct Find {
        const char* what;
        std::function<void()> act;
        int firstTile; // where the style now first in the grid was before
    } finds[] = {
        {"\"classic\" in the filter", [&] {
             const QPoint f = styleFilter(size);
             clickAt(window, f.x(), f.y());
             type(window, "classic");
         }, 3},
        {"Escape in the filter clears it", [&] { press(window, "Escape"); }, 0},
        {"the group Ink and Line", [&] {
             const QPoint g = styleGroup(size);
             clickAt(window, g.x(), g.y());
             QThread::msleep(1000);
             for (int i = 0; i < 4; ++i)
                 xdotool({"key", "Down"});
             xdotool({"key", "Return"});
         }, 5},
    };
    for (const Find& find : finds) {
        find.act();
        xdotool({"mousemove", "--window", window, "200", "300"});
        const cv::Mat found = waitForScreen(window, showsFirst(find.firstTile), 10000);
        const cv::Mat now = screen::grab(window);
        EXPECT_FALSE(found.empty()) << find.what << ": " << styles[size_t(find.firstTile)].name.toStdString() << " first ("
                                    << distance(now, find.firstTile) << " levels off)";
    }
}
