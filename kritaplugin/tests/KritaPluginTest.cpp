// The Krita plug-in in a real Krita: kritarunner (headless, with a settings
// and resource folder of the test's own) builds a document, runs the plug-in
// on its layer as the Repeat action does, and writes the layers back; the
// painting is checked against the renderer's.
#include "ImageDifference.h"
#include "ProgramFixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <functional>
#include <iostream>

namespace {

const QString kHost = QStringLiteral(BIN_DIR "/strovane-host");
const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");
const QString kStandIn = QStringLiteral(TESTS_DIR "/standin-host");

struct Outcome {
    bool ran = false;
    bool returned = false;
    QStringList messages;
    QJsonArray layers;
    QString annotation;
    QString log;
};

class KritaPlugin : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("kritarunner")).isEmpty())
            GTEST_SKIP() << "Krita is not installed (no kritarunner); scripts/test.sh installs it";
        settleAsReturningUser();
        QDir().mkpath(home.filePath("tmp"));
        environment.insert("TMPDIR", home.filePath("tmp"));
        environment.insert("PYTHONPATH", QStringLiteral(TESTS_DIR));
        environment.insert("PYTHONDONTWRITEBYTECODE", "1"); // nothing written into the source tree
        environment.insert("STROVANE_HOST", kStandIn);
        cv::Mat full = cv::imread(BIN_DIR "/Resources/images/example.jpg");
        ASSERT_FALSE(full.empty());
        cv::resize(full, photo, cv::Size(240, 150), 0, 0, cv::INTER_AREA);
    }


    // Runs one case in kritarunner; its files land in home/<name>/.
    // whileRunning, when given, runs while kritarunner does.
    Outcome runCase(const QString& name, QJsonObject c, const cv::Mat& pixels = cv::Mat(),
                    const char* function = "main", const std::function<void()>& whileRunning = {})
    {
        const QString folder = home.filePath(name);
        QDir().mkpath(folder);
        c.insert("pluginDir", QStringLiteral(PLUGIN_DIR));
        c.insert("out", folder);
        c.insert("pixels", QString());
        if (!pixels.empty()) {
            const QString raw = folder + "/in.raw";
            QFile f(raw);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            const cv::Mat continuous = pixels.clone();
            f.write(reinterpret_cast<const char*>(continuous.data), qint64(continuous.total() * continuous.elemSize()));
            c.insert("pixels", raw);
        }
        for (const char* key : {"annotation", "selection"})
            if (!c.contains(key))
                c.insert(key, QJsonValue::Null);
        if (!c.contains("interactive"))
            c.insert("interactive", false);
        QFile caseFile(folder + "/case.json");
        EXPECT_TRUE(caseFile.open(QIODevice::WriteOnly));
        caseFile.write(QJsonDocument(c).toJson());
        caseFile.close();

        QProcess krita;
        krita.setProcessEnvironment(environment);
        krita.setProcessChannelMode(QProcess::MergedChannels);
        krita.start(QStringLiteral("kritarunner"), {"-s", "krita_cases", "-f", function, caseFile.fileName()});
        Outcome outcome;
        if (whileRunning)
            whileRunning();
        outcome.ran = krita.waitForFinished(300000);
        outcome.log = QString::fromUtf8(krita.readAll()).right(6000);
        QFile resultFile(folder + "/result.json");
        if (QByteArray(function) == "save")
            return outcome;
        if (!resultFile.open(QIODevice::ReadOnly)) {
            outcome.ran = false;
            return outcome;
        }
        const QJsonObject result = QJsonDocument::fromJson(resultFile.readAll()).object();
        outcome.returned = result.value("returned").toBool();
        for (const QJsonValue& m : result.value("messages").toArray())
            outcome.messages << m.toString();
        outcome.layers = result.value("layers").toArray();
        outcome.annotation = result.value("annotation").toString();
        return outcome;
    }

    // The paint layers bottom to top: indexes into outcome.layers.
    static std::vector<int> paintLayers(const Outcome& o)
    {
        std::vector<int> found;
        for (int i = 0; i < o.layers.size(); ++i)
            if (o.layers.at(i).toObject().value("type").toString() == "paintlayer")
                found.push_back(i);
        return found;
    }

    cv::Mat layerPixels(const QString& name, const QString& file, cv::Size size, int type)
    {
        QFile f(home.filePath(name + "/" + file));
        if (!f.open(QIODevice::ReadOnly))
            return cv::Mat();
        const QByteArray bytes = f.readAll();
        cv::Mat m(size, type);
        if (std::size_t(bytes.size()) != m.total() * m.elemSize())
            return cv::Mat();
        std::memcpy(m.data, bytes.constData(), std::size_t(bytes.size()));
        return m;
    }

    bool temporaryFilesLeft()
    {
        return !QDir(home.filePath("tmp")).entryList({"strovane-krita-*"}, QDir::AllEntries | QDir::Hidden).isEmpty();
    }

    cv::Mat photo;
};

cv::Mat colour(const cv::Mat& bgra)
{
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

} // namespace

TEST_F(KritaPlugin, RepeatPaintsANewLayerAboveTheSourceLikeTheRenderer)
{
    if (!QFile::exists(kHost))
        GTEST_SKIP() << "strovane-host is not built (" << kHost.toStdString() << ")";
    environment.insert("STROVANE_HOST", kHost);
    QString presetFile;
    const QString guid = builtInStyle(&presetFile);
    const cv::Rect whole(0, 0, photo.cols, photo.rows);

    struct Case {
        const char* name;
        const char* depth;
        cv::Rect painted;
        bool selected;
    } cases[] = {
        {"sixteen-bit", "U16", whole, false},
        {"sixteen-bit-selection", "U16", cv::Rect(60, 30, 130, 90), true},
        {"eight-bit", "U8", whole, false},
    };
    for (const Case& c : cases) {
        const bool wide = QByteArray(c.depth) == "U16";
        cv::Mat bgra;
        cv::cvtColor(photo, bgra, cv::COLOR_BGR2BGRA);
        if (wide)
            bgra.convertTo(bgra, CV_16UC4, 257.0);
        QJsonObject spec{{"width", photo.cols}, {"height", photo.rows}, {"model", "RGBA"}, {"depth", c.depth},
                         {"profile", "sRGB-elle-V2-srgbtrc.icc"}, {"annotation", guid}};
        if (c.selected)
            spec.insert("selection", QJsonArray{c.painted.x, c.painted.y, c.painted.width, c.painted.height});
        const Outcome o = runCase(c.name, spec, bgra);
        ASSERT_TRUE(o.ran) << c.name << o.log.toStdString();
        EXPECT_TRUE(o.returned) << c.name << o.messages.join("\n").toStdString();
        EXPECT_TRUE(o.messages.isEmpty()) << c.name << o.messages.join("\n").toStdString();

        const std::vector<int> paint = paintLayers(o);
        ASSERT_EQ(paint.size(), 2u) << c.name;
        const QJsonObject source = o.layers.at(paint[0]).toObject(), added = o.layers.at(paint[1]).toObject();
        EXPECT_TRUE(source.value("source").toBool()) << c.name;
        EXPECT_EQ(paint[1], paint[0] + 1) << c.name << ": directly above the source";
        EXPECT_EQ(added.value("name").toString(), "Strovane painting") << c.name;
        for (const char* key : {"model", "depth", "profile"})
            EXPECT_EQ(added.value(key).toString(), source.value(key).toString()) << c.name << " " << key;
        EXPECT_EQ(o.annotation, guid) << c.name << ": the applied preset kept";

        const int type = wide ? CV_16UC4 : CV_8UC4;
        const cv::Mat before = layerPixels(c.name, "source-before.raw", photo.size(), type);
        const cv::Mat after = layerPixels(c.name, QStringLiteral("layer-%1.raw").arg(paint[0]), photo.size(), type);
        const cv::Mat painting = layerPixels(c.name, QStringLiteral("layer-%1.raw").arg(paint[1]), photo.size(), type);
        ASSERT_FALSE(before.empty() || after.empty() || painting.empty()) << c.name;
        EXPECT_EQ(cv::norm(before, bgra, cv::NORM_INF), 0.0) << c.name;
        EXPECT_EQ(cv::norm(after, before, cv::NORM_INF), 0.0) << c.name << ": the source untouched";

        // The renderer on the same pixels (the selection's bounds alone).
        const QString in = home.filePath(QStringLiteral("%1/reference-in.png").arg(c.name));
        const QString rendered = home.filePath(QStringLiteral("%1/reference.png").arg(c.name));
        cv::imwrite(in.toStdString(), colour(bgra(c.painted)));
        QProcess render;
        render.start(QStringLiteral(BIN_DIR "/strovane-render"), {"--preset", presetFile, in, rendered});
        ASSERT_TRUE(render.waitForFinished(300000));
        const cv::Mat reference = cv::imread(rendered.toStdString(), cv::IMREAD_COLOR | cv::IMREAD_ANYDEPTH);
        ASSERT_EQ(reference.size(), c.painted.size()) << c.name;
        const cv::Mat inside = painting(c.painted);
        const double fromReference = meanDifference(colour(inside), reference);
        std::cout << c.name << ": mean difference from the renderer " << fromReference << " levels\n";
        EXPECT_LT(fromReference, 2.0) << c.name << ": painted in the style";
        EXPECT_GT(meanDifference(colour(inside), colour(bgra(c.painted))), 2.0) << c.name << ": painted";
        std::vector<cv::Mat> planes;
        cv::split(inside, planes);
        EXPECT_EQ(cv::countNonZero(planes[3] != (wide ? 65535 : 255)), 0) << c.name << ": opaque inside";
        cv::Mat outside = cv::Mat::ones(photo.size(), CV_8U);
        outside(c.painted).setTo(0);
        EXPECT_EQ(cv::norm(painting, cv::NORM_INF, outside), 0.0) << c.name << ": transparent outside";
        EXPECT_FALSE(temporaryFilesLeft()) << c.name;
    }
}

TEST_F(KritaPlugin, ThePaintingWithTheProgramsWindowIsAppliedWithReturnAndCancelledWithEscape)
{
    if (!QFile::exists(kHost))
        GTEST_SKIP() << "strovane-host is not built (" << kHost.toStdString() << ")";
    environment.insert("STROVANE_HOST", kHost);
    QString presetFile;
    const QString guid = builtInStyle(&presetFile);
    cv::Mat bgra;
    cv::cvtColor(photo, bgra, cv::COLOR_BGR2BGRA);
    bgra.convertTo(bgra, CV_16UC4, 257.0);
    struct Case {
        const char* key;
        bool painted;
    } cases[] = {{"Return", true}, {"Escape", false}};
    for (const Case& c : cases) {
        const QJsonObject spec{{"width", photo.cols}, {"height", photo.rows}, {"model", "RGBA"}, {"depth", "U16"},
                               {"profile", "sRGB-elle-V2-srgbtrc.icc"}, {"annotation", guid}, {"interactive", true}};
        bool windowSeen = false, windowWent = false;
        const Outcome o = runCase(c.key, spec, bgra, "main", [&] {
            const QString window = windowNamed(kMainTitle, 120000);
            windowSeen = !window.isEmpty();
            // A key the window takes before it is ready does nothing: pressed
            // again until the window goes.
            for (int i = 0; windowSeen && i < 24 && !windowWent; ++i) {
                press(window, c.key);
                for (int j = 0; j < 25 && !windowWent; ++j) {
                    windowWent = windowNamed(kMainTitle, 200).isEmpty();
                    QThread::msleep(200);
                }
            }
        });
        ASSERT_TRUE(windowSeen) << c.key << o.log.toStdString();
        EXPECT_TRUE(windowWent) << c.key;
        ASSERT_TRUE(o.ran) << c.key << o.log.toStdString();
        EXPECT_TRUE(o.messages.isEmpty()) << c.key << o.messages.join("\n").toStdString();
        EXPECT_EQ(o.returned, c.painted) << c.key;
        // The program names what it applied (its own id for the settings
        // applied, not necessarily the style it started from).
        if (c.painted)
            EXPECT_FALSE(o.annotation.isEmpty());
        else
            EXPECT_EQ(o.annotation, guid) << "kept as it was";
        const std::vector<int> paint = paintLayers(o);
        ASSERT_EQ(paint.size(), c.painted ? 2u : 1u) << c.key;
        const cv::Mat source = layerPixels(c.key, QStringLiteral("layer-%1.raw").arg(paint[0]), photo.size(), CV_16UC4);
        ASSERT_FALSE(source.empty());
        EXPECT_EQ(cv::norm(source, bgra, cv::NORM_INF), 0.0) << c.key << ": the source untouched";
        if (c.painted) {
            const cv::Mat painting = layerPixels(c.key, QStringLiteral("layer-%1.raw").arg(paint[1]), photo.size(), CV_16UC4);
            ASSERT_FALSE(painting.empty());
            EXPECT_GT(meanDifference(colour(painting), colour(bgra)), 2.0) << "painted";

            // Repeat with the id kept paints the same again, without a window.
            QJsonObject repeat = spec;
            repeat.insert("annotation", o.annotation);
            repeat.insert("interactive", false);
            const Outcome again = runCase("repeat", repeat, bgra);
            ASSERT_TRUE(again.ran) << again.log.toStdString();
            EXPECT_TRUE(again.messages.isEmpty()) << again.messages.join("\n").toStdString();
            const std::vector<int> repeated = paintLayers(again);
            ASSERT_EQ(repeated.size(), 2u);
            const cv::Mat second = layerPixels("repeat", QStringLiteral("layer-%1.raw").arg(repeated[1]), photo.size(), CV_16UC4);
            ASSERT_FALSE(second.empty());
            const double difference = meanDifference(colour(second), colour(painting));
            std::cout << "repeat: mean difference from the window's painting " << difference << " levels\n";
            EXPECT_LT(difference, 2.0) << "the same painting again";
        }
        EXPECT_FALSE(temporaryFilesLeft()) << c.key;
    }
}

TEST_F(KritaPlugin, OtherColourModelsAndDepthsAreRefusedByNameChangingNothing)
{
    struct Case {
        const char* model;
        const char* depth;
        const char* named;
    } cases[] = {
        {"GRAYA", "U16", "grayscale at 16-bit integer"},
        {"CMYKA", "U8", "CMYK at 8-bit integer"},
        {"RGBA", "F32", "RGB at 32-bit float"},
    };
    for (const Case& c : cases) {
        const QString name = QStringLiteral("%1-%2").arg(c.model, c.depth);
        const Outcome o = runCase(name, {{"width", 64}, {"height", 48}, {"model", c.model}, {"depth", c.depth},
                                         {"profile", ""}, {"annotation", "ac69b835-d2c6-538f-8593-33b7ca82347d"}});
        ASSERT_TRUE(o.ran) << c.model << o.log.toStdString();
        EXPECT_FALSE(o.returned) << c.model;
        ASSERT_EQ(o.messages.size(), 1) << c.model;
        EXPECT_TRUE(o.messages.first().contains(QLatin1String(c.named))) << o.messages.first().toStdString();
        const std::vector<int> paint = paintLayers(o);
        ASSERT_EQ(paint.size(), 1u) << c.model << ": no new layer";
        QFile before(home.filePath(name + "/source-before.raw")), after(home.filePath(name + QStringLiteral("/layer-%1.raw").arg(paint[0])));
        ASSERT_TRUE(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
        EXPECT_EQ(before.readAll(), after.readAll()) << c.model << ": the layer untouched";
    }
}

TEST_F(KritaPlugin, TheHostsErrorIsShownAndCancelOrNothingToRepeatChangeNothing)
{
    // The stand-in answers as the host does on failure and on Cancel.
    struct Case {
        const char* name;
        const char* answer;
        const char* annotation;
        const char* host;
        bool interactive;
        const char* message;
    } cases[] = {
        {"failure", "fail", "a-preset", nullptr, false, "The painting failed: The picture could not be painted: out of memory"},
        {"cancel", "cancel", nullptr, nullptr, true, nullptr},
        {"nothing-to-repeat", "", nullptr, nullptr, false, "no Strovane painting to repeat"},
        {"no-host", "", "a-preset", "/nonexistent/strovane-host", false, "strovane-host could not be started"},
    };
    for (const Case& c : cases) {
        environment.insert("STANDIN_ANSWER", c.answer);
        environment.insert("STROVANE_HOST", c.host ? QString::fromLatin1(c.host) : kStandIn);
        QJsonObject spec{{"width", 64}, {"height", 48}, {"model", "RGBA"}, {"depth", "U16"},
                         {"profile", "sRGB-elle-V2-srgbtrc.icc"}, {"interactive", c.interactive}};
        if (c.annotation)
            spec.insert("annotation", c.annotation);
        const Outcome o = runCase(c.name, spec);
        ASSERT_TRUE(o.ran) << c.name << o.log.toStdString();
        EXPECT_FALSE(o.returned) << c.name;
        if (c.message) {
            ASSERT_EQ(o.messages.size(), 1) << c.name;
            EXPECT_TRUE(o.messages.first().contains(QLatin1String(c.message))) << o.messages.first().toStdString();
        } else {
            EXPECT_TRUE(o.messages.isEmpty()) << c.name << o.messages.join("\n").toStdString();
        }
        EXPECT_EQ(paintLayers(o).size(), 1u) << c.name << ": no new layer";
        EXPECT_EQ(o.annotation, QString::fromLatin1(c.annotation ? c.annotation : "")) << c.name;
        EXPECT_FALSE(temporaryFilesLeft()) << c.name;
    }
}

TEST_F(KritaPlugin, AnAnswerOfAnotherSizeIsRefused)
{
    // A host that writes a painting of another size than it was given.
    const QString small = home.filePath("small.png"), liar = home.filePath("liar-host");
    cv::imwrite(small.toStdString(), cv::Mat(5, 7, CV_8UC4, cv::Scalar(0, 0, 255, 255)));
    QFile script(liar);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nfor last; do :; done\ncp '%1' \"$last\" && echo some-preset\n").arg(small).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment.insert("STROVANE_HOST", liar);
    const Outcome o = runCase("liar", {{"width", 64}, {"height", 48}, {"model", "RGBA"}, {"depth", "U8"},
                                       {"profile", "sRGB-elle-V2-srgbtrc.icc"}, {"annotation", "a-preset"}});
    ASSERT_TRUE(o.ran) << o.log.toStdString();
    EXPECT_FALSE(o.returned);
    ASSERT_EQ(o.messages.size(), 1);
    EXPECT_TRUE(o.messages.first().contains("another size")) << o.messages.first().toStdString();
    EXPECT_EQ(paintLayers(o).size(), 1u);
    EXPECT_EQ(o.annotation, "a-preset") << "nothing kept from a refused answer";
}

TEST_F(KritaPlugin, InKritasWindowTheShortcutPaintsAndOneUndoTakesItBack)
{
    // Krita itself, with the plug-in found through the data path and enabled
    // in its settings as the Python Plugin Manager enables it; the stand-in
    // host hands the picture back as it got it.
    if (QStandardPaths::findExecutable(QStringLiteral("krita")).isEmpty())
        GTEST_SKIP() << "Krita is not installed";
    cv::Mat small, bgra;
    cv::resize(photo, small, cv::Size(160, 100), 0, 0, cv::INTER_AREA);
    cv::cvtColor(small, bgra, cv::COLOR_BGR2BGRA);
    bgra.convertTo(bgra, CV_16UC4, 257.0);
    const QString kra = home.filePath("picture.kra");
    const QJsonObject spec{{"width", small.cols}, {"height", small.rows}, {"model", "RGBA"}, {"depth", "U16"},
                           {"profile", "sRGB-elle-V2-srgbtrc.icc"}, {"annotation", "a-style-id"}, {"kra", kra}};
    ASSERT_TRUE(runCase("made", spec, bgra, "save").ran);
    ASSERT_TRUE(QFile::exists(kra));

    QDir().mkpath(home.filePath("config"));
    QFile kritarc(home.filePath("config/kritarc"));
    ASSERT_TRUE(kritarc.open(QIODevice::WriteOnly));
    kritarc.write("[python]\nenable_strovane_painting=true\n");
    kritarc.close();
    environment.insert("XDG_DATA_DIRS", QStringLiteral(PLUGIN_DIR "/../..:/usr/local/share:/usr/share"));
    auto owned = std::make_unique<QProcess>();
    QProcess* krita = owned.get();
    krita->setProcessEnvironment(environment);
    krita->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(krita, &QProcess::readyRead, [this, krita] { output[krita] += QString::fromUtf8(krita->readAll()); });
    krita->start(QStringLiteral("krita"), {"--nosplash", kra});
    started.push_back(std::move(owned));

    // The window's title ends its name with " *" while there are changes.
    auto title = [](const QString& window) { return xdotool({"getwindowname", window}); };
    auto waitForTitle = [&](const QString& window, bool changed) {
        for (int i = 0; i < 600; ++i) {
            if (title(window).contains(" * ") == changed)
                return true;
            QThread::msleep(200);
        }
        return false;
    };
    QString window;
    for (int i = 0; i < 600 && window.isEmpty(); ++i) {
        window = xdotool({"search", "--onlyvisible", "--name", "^picture\\.kra "}, 2000).section('\n', 0, 0);
        QThread::msleep(200);
    }
    ASSERT_FALSE(window.isEmpty()) << log(krita).toStdString();
    QThread::msleep(2000);

    struct Step {
        const char* keys;
        const char* savedAs;
    } steps[] = {{"ctrl+alt+shift+p", "painted.kra"}, {"ctrl+z", "undone.kra"}};
    for (const Step& step : steps) {
        press(window, step.keys);
        ASSERT_TRUE(waitForTitle(window, true)) << step.keys << " changed nothing: " << title(window).toStdString()
                                                << log(krita).toStdString();
        press(window, "ctrl+s");
        ASSERT_TRUE(waitForTitle(window, false)) << step.keys << ": not saved";
        QThread::msleep(500);
        ASSERT_TRUE(QFile::copy(kra, home.filePath(step.savedAs)));
    }
    krita->kill();
    krita->waitForFinished(10000);

    const Outcome painted = runCase("painted", {{"kra", home.filePath("painted.kra")}}, cv::Mat(), "inspect");
    ASSERT_TRUE(painted.ran) << painted.log.toStdString();
    const std::vector<int> paint = paintLayers(painted);
    ASSERT_EQ(paint.size(), 2u);
    EXPECT_EQ(painted.layers.at(paint[1]).toObject().value("name").toString(), "Strovane painting");
    EXPECT_EQ(painted.annotation, "a-style-id");
    const cv::Mat source = layerPixels("painted", QStringLiteral("layer-%1.raw").arg(paint[0]), small.size(), CV_16UC4);
    const cv::Mat added = layerPixels("painted", QStringLiteral("layer-%1.raw").arg(paint[1]), small.size(), CV_16UC4);
    ASSERT_FALSE(source.empty() || added.empty());
    EXPECT_EQ(cv::norm(source, bgra, cv::NORM_INF), 0.0) << "the source untouched";
    EXPECT_EQ(cv::norm(added, bgra, cv::NORM_INF), 0.0) << "the stand-in's answer, every bit";

    const Outcome undone = runCase("undone", {{"kra", home.filePath("undone.kra")}}, cv::Mat(), "inspect");
    ASSERT_TRUE(undone.ran) << undone.log.toStdString();
    EXPECT_EQ(paintLayers(undone).size(), 1u) << "one Ctrl+Z takes the layer away";
    EXPECT_FALSE(temporaryFilesLeft());
}
