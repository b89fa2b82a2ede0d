// The painting worker driven through the framework's real request path (GL
// thread, queue, caches), observed through its log lines.
#include "StrovaneModule.h"
#include "TStrovane.h"

#include <Strobase.h>
#include <TEFactory.h>
#include <TGLWorkerThread.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QMutex>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace {

QMutex g_logMutex;
QStringList g_log;

// The engine's structured lines: "cache <stage> hit|miss", "stage <name> <ms>",
// "placement level ...", "sizes ...", "strokes reset".
void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg || qstrcmp(context.category, "strovane.stats") != 0)
        return;
    QMutexLocker lock(&g_logMutex);
    g_log << message;
}

// A photograph stand-in: soft gradients and a few hard shapes.
TSMat photo(int width, int height, int variant = 0)
{
    cv::Mat m(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(255 * x / width), uchar(255 * y / height), uchar(90 + variant * 40));
    cv::circle(m, cv::Point(width / 3, height / 2), height / 4, cv::Scalar(30, 40, 200), cv::FILLED);
    cv::rectangle(m, cv::Rect(width * 3 / 5, height / 5, width / 4, height / 2), cv::Scalar(220, 220, 30), cv::FILLED);
    return TSMat(m);
}

// A thin photograph: colours that change along its length, none near white,
// alike across it, as a strip cut from a photo is.
TSMat strip(int width, int height)
{
    cv::Mat m(height, width, CV_8UC3);
    const int length = std::max(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double t = double(width >= height ? x : y) / length;
            const double across = double(width >= height ? y : x) / length;
            m.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(40 + 150 * t), uchar(170 - 120 * std::abs(2 * t - 1) + 20 * across),
                                              uchar(190 - 150 * t));
        }
    }
    return TSMat(m);
}

// The mean colour (BGR, 8-bit levels) of each of `blocks` stretches along
// an image's longest side.
std::vector<cv::Scalar> blockMeans(const cv::Mat& image, int blocks)
{
    std::vector<cv::Scalar> means;
    const bool wide = image.cols >= image.rows;
    const int length = wide ? image.cols : image.rows;
    for (int b = 0; b < blocks; ++b) {
        const int from = b * length / blocks, to = std::max((b + 1) * length / blocks, from + 1);
        const cv::Rect r = wide ? cv::Rect(from, 0, to - from, image.rows) : cv::Rect(0, from, image.cols, to - from);
        means.push_back(cv::mean(image(r)));
    }
    return means;
}

class WorkerPipeline : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Strobase::init(QString(), QUrl(), QCoreApplication::applicationDirPath() + QStringLiteral("/tgrc"));
        registerStrovaneClasses();
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\nstrovane.stats.debug=true"));
        qInstallMessageHandler(collect);
    }

    void SetUp() override { effect.reset(newEffect()); }

    static TStrovane* newEffect()
    {
        auto* e = static_cast<TStrovane*>(TEFactory::createEffect(QStringLiteral("TStrovane")));
        // Requests are made by the test, not by parameter writes.
        e->setNotificationEnabled(false);
        e->setdensity_level(0);
        return e;
    }

    // Runs one request of the effect under test to its end; returns its log
    // lines.
    QStringList run(bool output = true) { return run(effect.get(), output); }
    static QStringList run(TEffect* e, bool output = true)
    {
        {
            QMutexLocker lock(&g_logMutex);
            g_log.clear();
        }
        QEventLoop loop;
        QObject::connect(e, &TEffect::procFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(180000, &loop, &QEventLoop::quit);
        if (output)
            e->procOutput();
        else
            e->procPreview();
        loop.exec();
        QMutexLocker lock(&g_logMutex);
        return g_log;
    }

    static int count(const QStringList& log, const QString& prefix)
    {
        return int(std::count_if(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(prefix); }));
    }
    static QString line(const QStringList& log, const QString& prefix)
    {
        for (const QString& l : log)
            if (l.startsWith(prefix))
                return l;
        return QString();
    }

    std::unique_ptr<TStrovane> effect;
};

} // namespace

TEST_F(WorkerPipeline, LargeInputIsPreprocessedAt2048)
{
    effect->setInput(photo(4000, 3000));
    effect->setDecimation(4);
    const QStringList log = run();
    EXPECT_EQ(line(log, "sizes"), "sizes preprocessing 2048x1536 working 1000x750");
    EXPECT_EQ(count(log, "cache preprocessing miss"), 1);
    EXPECT_EQ(effect->output().width(), 1000);
    EXPECT_EQ(effect->output().height(), 750);
}

TEST_F(WorkerPipeline, LowResolutionCapsTheWorkingSize)
{
    struct Case {
        int width, height;
        const char* working;
        int outWidth, outHeight;
    } cases[] = {
        {3000, 2000, "working 2048x1365", 3000, 2000}, // reduced and scaled back
        {2060, 1000, "working 2048x994", 2048, 994},   // factor 0.994: handed over as it is
    };
    effect->setLowResolutionMode(true);
    effect->setdensity_level(0);
    for (const Case& c : cases) {
        effect->setInput(photo(c.width, c.height));
        const QStringList log = run();
        EXPECT_TRUE(line(log, "sizes").endsWith(QLatin1String(c.working))) << line(log, "sizes").toStdString();
        EXPECT_EQ(effect->output().width(), c.outWidth);
        EXPECT_EQ(effect->output().height(), c.outHeight);
    }
}

TEST_F(WorkerPipeline, EachChangeRerunsOnlyTheStagesItAffects)
{
    effect->setInput(photo(900, 600));
    struct Step {
        const char* name;
        std::function<void(TStrovane&)> change;
        bool preprocessing, placement, adjustment, painting;
    } steps[] = {
        {"first request", [](TStrovane&) {}, true, true, true, true},
        {"nothing changed", [](TStrovane&) {}, false, false, false, false},
        {"canvas", [](TStrovane& e) { e.setcanvas_type(QStringLiteral("eba5b271-0c67-4937-8d34-02d280932023")); }, false, false, false, false},
        {"canvas strength", [](TStrovane& e) { e.setbg_canvas_texture_strength(0.7f); }, false, false, false, false},
        {"canvas scale", [](TStrovane& e) { e.setbg_canvas_texture_scale(0.3f); }, false, false, false, false},
        {"smudge", [](TStrovane& e) { e.setstroke_smudgesize(0.5f); }, false, false, false, false},
        {"light direction", [](TStrovane& e) { e.setbg_canvas_texture_dir(QPointF(0.2, 0.8)); }, false, false, false, true},
        {"lightness", [](TStrovane& e) { e.setstroke_lightness(0.3f); }, false, false, true, true},
        {"brush size", [](TStrovane& e) { e.setstroke_brush_size(0.8f); }, false, false, false, true},
        {"density 1", [](TStrovane& e) { e.setdensity_level(1); }, false, true, false, true},
        {"back to density 0", [](TStrovane& e) { e.setdensity_level(0); }, false, false, false, true},
    };
    for (const Step& step : steps) {
        step.change(*effect);
        const QStringList log = run();
        EXPECT_EQ(count(log, "cache preprocessing miss"), int(step.preprocessing)) << step.name;
        EXPECT_EQ(count(log, "placement level"), int(step.placement)) << step.name;
        EXPECT_EQ(count(log, "cache adjustment miss"), int(step.adjustment)) << step.name;
        EXPECT_EQ(count(log, "cache painting miss"), int(step.painting)) << step.name;
        EXPECT_EQ(count(log, "stage smudge "), 1) << step.name;
        EXPECT_EQ(count(log, "stage post-processing "), 1) << step.name;
        EXPECT_EQ(count(log, "stage request "), 1) << step.name;
    }
    // The density level changed twice: the stroke identity changed each
    // time, but the level used before came from the painter's table.
    effect->setInput(photo(900, 600, 1));
    const QStringList log = run();
    EXPECT_EQ(count(log, "strokes reset"), 1);
    EXPECT_EQ(count(log, "cache preprocessing miss"), 1);
    EXPECT_EQ(count(log, "placement level"), 1);
    EXPECT_EQ(count(log, "cache adjustment miss"), 1);
    EXPECT_EQ(count(log, "cache painting miss"), 1);
    EXPECT_EQ(count(run(), "strokes reset"), 0);
}

TEST_F(WorkerPipeline, TwoEffectsOnOnePhotoPaintAlike)
{
    const TSMat input = photo(480, 320);
    effect->setInput(input);
    run();
    const cv::Mat single = effect->output().mat().clone();
    auto sameAsSingle = [&](TEffect& e) { return cv::norm(e.output().mat(), single, cv::NORM_INF) <= 257; };

    effect.reset(newEffect()); // the module reloaded
    effect->setInput(input);
    run();
    EXPECT_TRUE(sameAsSingle(*effect)) << "one after the other";

    std::unique_ptr<TStrovane> second(newEffect());
    second->setInput(input);
    const QStringList log = run(second.get());
    EXPECT_EQ(count(log, "cache preprocessing miss"), 0) << "the first one's preprocessing is shared";
    EXPECT_TRUE(sameAsSingle(*second)) << "both alive at once";

    effect.reset(); // its caches stay for the one still alive
    std::unique_ptr<TStrovane> third(newEffect());
    third->setInput(input);
    EXPECT_EQ(count(run(third.get()), "cache preprocessing miss"), 0);
    EXPECT_TRUE(sameAsSingle(*third)) << "made after the first one went";
}

// A background effect's request (a thumbnail) waits behind every request
// of the user's made while it waited, and paints with caches of its own:
// the user's next change finds the preprocessing it made still there.
TEST_F(WorkerPipeline, BackgroundRequestsWaitAndLeaveTheUsersCaches)
{
    effect->setInput(photo(480, 320));
    run();
    std::unique_ptr<TStrovane> thumbnails(newEffect());
    thumbnails->setBackground(true);
    thumbnails->setInput(photo(240, 150));

    QStringList order;
    QObject::connect(effect.get(), &TEffect::procFinished, [&order](const QString& mode) { order << "user " + mode; });
    QObject::connect(thumbnails.get(), &TEffect::procFinished, [&order](const QString& mode) { order << "background " + mode; });
    effect->setstroke_brush_size(0.3f);
    effect->procPreview();      // runs at once
    thumbnails->procOutput();   // waits
    effect->setstroke_brush_size(0.6f);
    effect->procOutput();       // asked for later, runs first
    QEventLoop loop;
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    QObject::connect(thumbnails.get(), &TEffect::procFinished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(order, QStringList({"user PREVIEW", "user OUTPUT", "background OUTPUT"}));
    EXPECT_FALSE(thumbnails->output().isEmpty());

    effect->setstroke_brush_size(0.4f);
    EXPECT_EQ(count(run(), "cache preprocessing miss"), 0) << "the user's preprocessing stays";
}

// Background work that is under way gives way to the user's request at its
// next step, then paints to the end, as it would have alone.
TEST_F(WorkerPipeline, RunningBackgroundWorkGivesWayToTheUser)
{
    const TSMat picture = photo(1200, 800, 1);
    std::unique_ptr<TStrovane> thumbnails(newEffect());
    thumbnails->setBackground(true);
    thumbnails->setdensity_level(2);
    thumbnails->setInput(picture);
    effect->setInput(photo(240, 150));

    QStringList order;
    QObject::connect(effect.get(), &TEffect::procFinished, [&order](const QString& mode) { order << "user " + mode; });
    QObject::connect(thumbnails.get(), &TEffect::procFinished, [&order](const QString& mode) { order << "background " + mode; });
    {
        QMutexLocker lock(&g_logMutex);
        g_log.clear();
    }
    thumbnails->procOutput();
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < 60000) {
        QMutexLocker lock(&g_logMutex);
        if (!g_log.filter(QStringLiteral("sizes ")).isEmpty())
            break;
        lock.unlock();
        QThread::msleep(2);
    }
    effect->procPreview();
    QEventLoop loop;
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    QObject::connect(thumbnails.get(), &TEffect::procFinished, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(order, QStringList({"user PREVIEW", "background OUTPUT"}));
    ASSERT_FALSE(thumbnails->output().isEmpty());

    std::unique_ptr<TStrovane> alone(newEffect());
    alone->setdensity_level(2);
    alone->setInput(picture);
    run(alone.get());
    ASSERT_FALSE(alone->output().isEmpty());
    cv::Mat a, b;
    thumbnails->output().mat().convertTo(a, CV_32F);
    alone->output().mat().convertTo(b, CV_32F);
    const double scale = thumbnails->output().mat().depth() == CV_16U ? 257.0 : 1.0;
    EXPECT_LT(cv::norm(a, b, cv::NORM_L1) / a.total() / a.channels() / scale, 0.5) << "the same painting";
}

TEST_F(WorkerPipeline, OnlyWatchedPreviewsShowThePaintingAppear)
{
    // Large enough that on a CPU rasteriser the painting is far from done
    // when the first showing is due.
    effect->setInput(photo(2400, 1600));
    effect->setdensity_level(2);
    int updates = 0;
    QObject::connect(effect.get(), &TEffect::previewChanged, [&updates] { ++updates; });

    run(true);
    EXPECT_EQ(updates, 0) << "an output request delivers no previews";

    effect->setstroke_brush_size(0.4f); // repaint
    effect->setShowPainting(true);
    updates = 0;
    run(false);
    // Shown every kShowEveryMs while the whole is further off than that:
    // this painting takes several times that on a CPU rasteriser, but how
    // many times depends on the machine.
    EXPECT_GE(updates, 2) << "a partial painting between the draw batches, then the whole";

    effect->setstroke_brush_size(0.45f);
    effect->setShowPainting(false);
    updates = 0;
    run(false);
    EXPECT_EQ(updates, 1) << "only the finished painting";
}

TEST_F(WorkerPipeline, NewerPreviewReplacesAPendingOne)
{
    effect->setInput(photo(600, 400));
    int finished = 0;
    QObject::connect(effect.get(), &TEffect::procFinished, [&finished] { ++finished; });
    // Five previews in a row: at most the running one and the last one run.
    for (int i = 0; i < 5; ++i) {
        effect->setstroke_brush_size(0.3f + 0.1f * i);
        effect->procPreview();
    }
    EXPECT_TRUE(effect->isBusy());
    QEventLoop loop;
    QObject::connect(effect.get(), &TEffect::isBusyChanged, &loop, [&loop](bool busy) {
        if (!busy)
            loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_FALSE(effect->isBusy());
    EXPECT_GE(finished, 1);
    EXPECT_LE(finished, 2);
}

// A preview that a newer one has made stale stops at its next draw batch,
// says nothing, and leaves no half painting in the cache.
TEST_F(WorkerPipeline, AStalePreviewStopsAndIsNeverKept)
{
    // Large enough that the painting shows its first strokes long before
    // it is done (a quick one is shown only whole).
    effect->setInput(photo(2400, 1600));
    effect->setdensity_level(2);
    effect->setShowPainting(true);
    run(false); // preprocessing and placement done once

    effect->setstroke_brush_size(0.4f);
    QStringList finishedModes;
    QObject::connect(effect.get(), &TEffect::procFinished, [&](const QString& mode) { finishedModes << mode; });
    bool newerAsked = false;
    // While the first one shows its first strokes, the user moves on.
    QObject::connect(effect.get(), &TEffect::previewChanged, [&] {
        if (newerAsked)
            return;
        newerAsked = true;
        effect->setstroke_brush_size(0.5f);
        effect->procPreview();
    });
    QEventLoop loop;
    QObject::connect(effect.get(), &TEffect::isBusyChanged, &loop, [&loop](bool busy) {
        if (!busy)
            loop.quit();
    });
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    effect->procPreview();
    loop.exec();
    ASSERT_TRUE(newerAsked);
    EXPECT_EQ(finishedModes, QStringList{QStringLiteral("PREVIEW")}) << "only the newer preview answers";

    effect->setstroke_brush_size(0.4f);
    const QStringList again = run(false);
    EXPECT_EQ(count(again, QStringLiteral("cache painting miss")), 1) << again.join('\n').toStdString();
}

// A view zoomed in asks for the part it shows: the preview there is the
// whole preview's to the level, margins and all (the smudge follows the
// flow, a stroke takes its colour at its centre, the canvas relief reads
// its neighbours); outside it the last whole preview stands in. A result
// is always whole.
TEST_F(WorkerPipeline, APreviewOfThePartShownIsTheWholePreviewThere)
{
    const QRect shown(300, 200, 400, 300);
    auto previewMat = [&] {
        cv::Mat m;
        const TSFbo fbo = effect->preview();
        TGLWorkerThread::instance()->runBlocking([&] { m = fbo.dataToMat(CV_8UC3, true, true); });
        return m;
    };
    struct Case {
        const char* name;
        std::function<void(TStrovane&)> change;
    } cases[] = {
        {"default", [](TStrovane&) {}},
        {"smudged", [](TStrovane& e) { e.setstroke_smudgesize(0.9f); }},
        {"large strokes", [](TStrovane& e) { e.setstroke_brush_size(0.53f); }},
        {"deep canvas", [](TStrovane& e) { e.setbg_canvas_texture_strength(1.0f); }},
    };
    for (int variant = 0; variant < int(std::size(cases)); ++variant) {
        const Case& c = cases[variant];
        effect.reset(newEffect());
        c.change(*effect);
        effect->setInput(photo(1200, 800, variant));
        effect->setDecimation(2);
        run(false);
        cv::Mat standIn;
        cv::resize(previewMat(), standIn, cv::Size(1200, 800), 0, 0, cv::INTER_LINEAR);

        effect->setDecimation(1);
        effect->setRegion(shown);
        const QStringList partLog = run(false);
        EXPECT_EQ(count(partLog, "region shown"), 1) << c.name;
        EXPECT_FALSE(line(partLog, "overdraw").endsWith("bounded")) << c.name << line(partLog, "overdraw").toStdString();
        const cv::Mat part = previewMat();
        effect->setRegion(QRect());
        const QStringList wholeLog = run(false);
        EXPECT_EQ(count(wholeLog, "region"), 0) << c.name;
        const cv::Mat whole = previewMat();
        ASSERT_EQ(part.size(), whole.size()) << c.name;
        const cv::Rect inside(shown.x(), shown.y(), shown.width(), shown.height());
        EXPECT_EQ(cv::norm(part(inside), whole(inside), cv::NORM_INF), 0) << c.name;

        const cv::Rect corner(0, 0, 200, 150);
        EXPECT_LT(cv::norm(part(corner), standIn(corner), cv::NORM_L1) / corner.area() / 3, 3.0)
            << c.name << ": the last whole preview outside";
        EXPECT_GT(cv::norm(part(corner), whole(corner), cv::NORM_INF), 0) << c.name << ": not painted again there";
    }

    // Nearly all of it shown: painted whole. A result: whole.
    effect->setRegion(QRect(10, 10, 1180, 780));
    EXPECT_EQ(count(run(false), "region"), 0);
    effect->setRegion(shown);
    EXPECT_EQ(count(run(true), "region"), 0);
    EXPECT_EQ(effect->output().width(), 1200);
}

// Huge strokes cover a preview hundreds of times over; the preview paints
// fewer layers of them, and looks like the result all the same: the 32 x 32
// blocks of both, blurred by about a stroke, within a few levels. Which huge
// stroke lies on top differs here and there, so the blocks of four photos
// are judged together.
TEST_F(WorkerPipeline, APreviewOfHugeStrokesIsBoundedAndLooksLikeTheResult)
{
    auto blocks = [](const cv::Mat& m) {
        cv::Mat blurred, small;
        cv::GaussianBlur(m, blurred, cv::Size(), 16.0);
        cv::resize(blurred, small, cv::Size(m.cols / 32, m.rows / 32), 0, 0, cv::INTER_AREA);
        return small;
    };
    std::vector<float> levels;
    for (int variant = 0; variant < 4; ++variant) {
        effect->setInput(photo(960, 640, variant));
        effect->setDecimation(2);
        effect->setstroke_brush_size(1.0f);
        const QStringList result = run(true);
        EXPECT_EQ(count(result, QStringLiteral("overdraw")), 1);
        EXPECT_FALSE(line(result, QStringLiteral("overdraw")).endsWith("bounded")) << "a result paints every stroke";
        cv::Mat painted;
        effect->output().mat().convertTo(painted, CV_32FC3, 1.0 / 257.0);

        const QStringList preview = run(false);
        EXPECT_TRUE(line(preview, QStringLiteral("overdraw")).endsWith("bounded")) << preview.join('\n').toStdString();
        cv::Mat shown;
        const TSFbo fbo = effect->preview();
        TGLWorkerThread::instance()->runBlocking(
            [&] { fbo.dataToMat(CV_16UC3, true, true).convertTo(shown, CV_32FC3, 1.0 / 257.0); });
        ASSERT_EQ(shown.size(), painted.size());

        cv::Mat difference;
        cv::absdiff(blocks(shown), blocks(painted), difference);
        const cv::Mat samples = difference.reshape(1, 1);
        levels.insert(levels.end(), samples.begin<float>(), samples.end<float>());
    }
    std::sort(levels.begin(), levels.end());
    EXPECT_LT(std::accumulate(levels.begin(), levels.end(), 0.0) / double(levels.size()), 6.0);
    EXPECT_LT(levels[levels.size() * 9 / 10], 16.0f) << "nine blocks in ten";
}

TEST_F(WorkerPipeline, OpacityAndMaskLayThePaintingOverThePhoto)
{
    const TSMat input = photo(320, 200);
    effect->setInput(input);
    run();
    const cv::Mat painted = effect->output().mat().clone();
    cv::Mat expected;
    input.mat().convertTo(expected, CV_16UC3, 257.0);
    auto distance = [&](const cv::Mat& m) { return cv::norm(m, expected, cv::NORM_L1) / double(m.total() * 3 * 257); };
    ASSERT_GT(distance(painted), 2.0) << "the painting differs from the photo";

    effect->setOpacity(0.0f);
    run();
    EXPECT_LT(distance(effect->output().mat()), 1.0) << "opacity 0 shows the photo";

    effect->setOpacity(1.0f);
    effect->setMaskType(1);
    effect->setMaskSize(320, 200);
    run();
    EXPECT_LT(distance(effect->output().mat()), 1.0) << "nothing painted on the mask: the photo";
    effect->setBrush(400.0f, 1.0f, false);
    effect->drawPoint(QPointF(0.5, 0.5));
    run();
    EXPECT_LT(cv::norm(effect->output().mat(), painted, cv::NORM_L1) / double(painted.total() * 3 * 257), 1.0)
        << "painted all over: the painting";
}

TEST_F(WorkerPipeline, ThinPicturesArePaintedAllOver)
{
    // Strips thinner than a few strokes, and pictures of a few pixels, as
    // output and as the program's previews at every decimation of the view.
    const QSize sizes[] = {{2000, 3}, {3, 2000}, {1, 700}, {700, 1}, {2000, 8}, {8, 2000},
                           {2000, 20}, {300, 2}, {1, 1}, {5, 4}, {40, 25}};
    for (const QSize& size : sizes) {
        const TSMat input = strip(size.width(), size.height());
        effect->setInput(input);
        for (int decimation = 1; decimation <= 8; ++decimation) {
            effect->setDecimation(decimation);
            const bool output = decimation == 1;
            run(output);
            cv::Mat painted;
            if (output) {
                effect->output().mat().convertTo(painted, CV_8UC3, 1.0 / 257);
            } else {
                const TSFbo preview = effect->preview();
                TGLWorkerThread::instance()->runBlocking([&] { painted = preview.dataToMat(CV_8UC3, true, true); });
            }
            const std::string name = std::to_string(size.width()) + "x" + std::to_string(size.height()) + " at 1/"
                + std::to_string(decimation);
            ASSERT_FALSE(painted.empty()) << name;
            cv::Mat reduced;
            cv::resize(input.mat(), reduced, painted.size(), 0, 0, cv::INTER_AREA);
            // The canvas is white; no colour of the photo comes near it.
            std::vector<cv::Mat> channels;
            cv::split(painted, channels);
            cv::Mat palest = cv::min(cv::min(channels[0], channels[1]), channels[2]);
            double brightest = 0;
            cv::minMaxLoc(palest, nullptr, &brightest);
            EXPECT_LT(brightest, 225) << name << ": bare canvas shows";
            // Along its length the painting keeps the photo's colours, over
            // stretches of 64 pixels or more (a few pixels are all one stroke).
            const int blocks = std::min(std::max(painted.cols, painted.rows) / 64, 8);
            const auto want = blockMeans(reduced, blocks), got = blockMeans(painted, blocks);
            for (int b = 0; b < blocks; ++b)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(got[size_t(b)][c], want[size_t(b)][c], 30.0) << name << ", stretch " << b << ", channel " << c;
        }
    }
    // Larger, fainter strokes: a preview thins out strokes that would cover
    // it hundreds of times, which those placed off a thin or tiny picture's
    // edges must not make it do (thinned, a few pixels could stay bare).
    // Its preview is its painting.
    effect->setstroke_brush_size(0.5f);
    effect->setstroke_paint_opacity(0.7f);
    effect->setdensity_level(1);
    effect->setDecimation(1);
    for (const QSize& size : {QSize(12, 9), QSize(5, 4), QSize(40, 25), QSize(2000, 8)}) {
        effect->setInput(strip(size.width(), size.height()));
        run(true);
        cv::Mat output, painted;
        effect->output().mat().convertTo(output, CV_8UC3, 1.0 / 257);
        run(false);
        const TSFbo preview = effect->preview();
        TGLWorkerThread::instance()->runBlocking([&] { painted = preview.dataToMat(CV_8UC3, true, true); });
        ASSERT_EQ(painted.size(), output.size());
        EXPECT_LT(cv::norm(painted, output, cv::NORM_L1) / double(painted.total() * 3), 1.0)
            << size.width() << "x" << size.height() << " with larger strokes: the preview is not the painting";
    }
}
