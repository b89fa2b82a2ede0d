// The plug-in as GIMP runs it: Script-Fu batches in a headless GIMP with a
// settings folder of its own, and the program's window driven with xdotool.
#include "ExchangeSegments.h"
#include "ImageDifference.h"
#include "ProgramFixture.h"

#include <QFile>
#include <QSettings>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <csignal>

namespace {

const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");

class GimpPlugin : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        ExchangeSegments::removeAll();
        settleAsReturningUser();
        const QString gimpDir = home.filePath("gimp");
        QDir().mkpath(gimpDir);
        QFile gimprc(gimpDir + "/gimprc");
        ASSERT_TRUE(gimprc.open(QIODevice::WriteOnly));
        gimprc.write("(plug-in-path \"${gimp_plug_in_dir}/plug-ins:" GIMP_PLUGIN_DIR "\")\n");
        gimprc.close();
        environment.insert("GIMP2_DIRECTORY", gimpDir);

        cv::Mat full = cv::imread(BIN_DIR "/Resources/images/example.jpg");
        ASSERT_FALSE(full.empty());
        cv::resize(full, photo, cv::Size(333, 208), 0, 0, cv::INTER_AREA);
    }

    // The program is GIMP's grandchild: a run that failed half-way must not
    // leave it holding the single-instance guard for the tests after.
    void TearDown() override
    {
        Program::TearDown();
        for (const char* name : {"Velmora_Strovane", "strovane-guard", "strovane-painti"})
            QProcess::execute(QStringLiteral("pkill"), {"-KILL", "-x", QLatin1String(name)});
        ExchangeSegments::removeAll();
    }

    // Starts a headless GIMP on Script-Fu commands, then quits it.
    QProcess* startGimp(const QString& commands)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        p->setProcessChannelMode(QProcess::MergedChannels);
        QProcess* raw = p.get();
        QObject::connect(raw, &QProcess::readyRead, [this, raw] { output[raw] += QString::fromUtf8(raw->readAll()); });
        p->start(QStringLiteral("gimp"), {"-i", "-d", "-f", "-b", commands, "-b", "(gimp-quit 0)"});
        p->waitForStarted();
        started.push_back(std::move(p));
        return raw;
    }
    bool finishes(QProcess* p, int timeoutMs = 300000)
    {
        const bool done = p->waitForFinished(timeoutMs);
        log(p);
        return done && p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
    }
    // Loads in, runs the plug-in in the given mode (after the optional
    // selection commands), saves out; a cancelled run leaves out unwritten.
    QString paintCommands(const QString& in, const QString& out, const char* mode, const QString& presetId,
                          const QString& select = QString())
    {
        return QStringLiteral("(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"%1\" \"%1\")))"
                              " (drawable (car (gimp-image-get-active-drawable image))))"
                              " %4"
                              " (plug-in-strovane-painting %3 image drawable \"%5\")"
                              " (gimp-file-save RUN-NONINTERACTIVE image drawable \"%2\" \"%2\"))")
            .arg(in, out, QLatin1String(mode), select, presetId);
    }
    cv::Mat photo;
};

} // namespace

TEST_F(GimpPlugin, ABatchPaintsWithABuiltInStyleLikeTheRenderer)
{
    QString presetFile;
    const QString guid = builtInStyle(&presetFile);
    const QString in = home.filePath("in.png"), out = home.filePath("out.png"), rendered = home.filePath("rendered.png");
    cv::imwrite(in.toStdString(), photo);
    QProcess* gimp = startGimp(paintCommands(in, out, "RUN-NONINTERACTIVE", guid));
    ASSERT_TRUE(finishes(gimp)) << log(gimp).toStdString();
    EXPECT_FALSE(log(gimp).contains("toplevel module loaded")) << "no window";
    const cv::Mat painted = cv::imread(out.toStdString());
    ASSERT_EQ(painted.size(), photo.size()) << log(gimp).toStdString();

    QProcess render;
    render.start(QStringLiteral(BIN_DIR "/strovane-render"), {"--preset", presetFile, in, rendered});
    ASSERT_TRUE(render.waitForFinished(120000));
    const cv::Mat reference = cv::imread(rendered.toStdString());
    EXPECT_LT(meanDifference(painted, reference), 2.0) << "painted in the style";
    EXPECT_GT(meanDifference(painted, photo), 2.0);
    EXPECT_TRUE(!ExchangeSegments::anyLeft());
}

TEST_F(GimpPlugin, TransparencyAndSixteenBitGrayComeBack)
{
    // RGBA: the alpha channel is the photo's brightness, and stays.
    cv::Mat alpha, rgba;
    cv::cvtColor(photo, alpha, cv::COLOR_BGR2GRAY);
    std::vector<cv::Mat> channels;
    cv::split(photo, channels);
    channels.push_back(alpha);
    cv::merge(channels, rgba);
    // Gray at 16 bits.
    cv::Mat gray16;
    alpha.convertTo(gray16, CV_16U, 257.0);

    struct Case {
        const char* name;
        cv::Mat image;
    } cases[] = {{"rgba", rgba}, {"gray16", gray16}};
    for (const Case& c : cases) {
        const QString in = home.filePath(QStringLiteral("%1-in.png").arg(c.name));
        const QString out = home.filePath(QStringLiteral("%1-out.png").arg(c.name));
        cv::imwrite(in.toStdString(), c.image);
        QProcess* gimp = startGimp(paintCommands(in, out, "RUN-NONINTERACTIVE", QString()));
        ASSERT_TRUE(finishes(gimp)) << c.name << log(gimp).toStdString();
        const cv::Mat back = cv::imread(out.toStdString(), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(back.size(), c.image.size()) << c.name;
        EXPECT_EQ(back.type(), c.image.type()) << c.name;
        if (back.channels() == 4) {
            cv::Mat backAlpha, backColour, colour;
            cv::extractChannel(back, backAlpha, 3);
            EXPECT_EQ(cv::norm(backAlpha, alpha, cv::NORM_INF), 0.0) << "alpha kept";
            cv::cvtColor(back, backColour, cv::COLOR_BGRA2BGR);
            EXPECT_GT(meanDifference(backColour, photo), 2.0) << "painted";
        } else {
            EXPECT_GT(meanDifference(back, c.image), 2.0) << "painted";
        }
    }
}

TEST_F(GimpPlugin, InteractiveApplyPaintsTheSelectionOnlyAndCancelChangesNothing)
{
    const QString in = home.filePath("in.png");
    cv::imwrite(in.toStdString(), photo);
    const cv::Rect selection(100, 40, 120, 90);
    const QString select = QStringLiteral("(gimp-image-select-rectangle image CHANNEL-OP-REPLACE %1 %2 %3 %4)")
                               .arg(selection.x).arg(selection.y).arg(selection.width).arg(selection.height);
    struct Case {
        const char* key;
        bool painted;
    } cases[] = {{"Return", true}, {"Escape", false}};
    for (const Case& c : cases) {
        const QString out = home.filePath(QStringLiteral("out-%1.png").arg(c.key));
        // A cancelled run is an error to Script-Fu: caught, and the image
        // saved as it is.
        QProcess* gimp = startGimp(
            QStringLiteral("(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"%1\" \"%1\")))"
                           " (drawable (car (gimp-image-get-active-drawable image))))"
                           " %3 (catch #f (plug-in-strovane-painting RUN-INTERACTIVE image drawable \"\"))"
                           " (gimp-file-save RUN-NONINTERACTIVE image drawable \"%2\" \"%2\"))")
                .arg(in, out, select));
        ASSERT_TRUE(waitForLog(gimp, "input changed inside module", 120000)) << log(gimp).toStdString();
        QThread::msleep(1500);
        const QString window = windowNamed(kMainTitle);
        ASSERT_FALSE(window.isEmpty()) << log(gimp).toStdString();
        press(window, c.key);
        ASSERT_TRUE(finishes(gimp)) << log(gimp).toStdString();
        const cv::Mat back = cv::imread(out.toStdString());
        ASSERT_EQ(back.size(), photo.size()) << c.key;
        cv::Mat outside = cv::Mat::ones(photo.size(), CV_8U);
        outside(selection).setTo(0);
        cv::Mat difference;
        cv::absdiff(back, photo, difference);
        EXPECT_EQ(cv::norm(difference, cv::NORM_INF, outside), 0.0) << c.key << ": nothing outside the selection";
        if (c.painted)
            EXPECT_GT(meanDifference(back(selection), photo(selection)), 2.0) << "painted inside";
        else
            EXPECT_EQ(cv::norm(difference, cv::NORM_INF), 0.0) << "cancel changes nothing";
        EXPECT_TRUE(!ExchangeSegments::anyLeft());
    }
}

TEST_F(GimpPlugin, WhenGimpEndsThePlugInTheProgramGoesAndNothingIsLeft)
{
    // GIMP's cancel ends the plug-in; its guard ends the program and
    // removes the exchange.
    const QString in = home.filePath("in.png"), out = home.filePath("out.png");
    cv::imwrite(in.toStdString(), photo);
    QProcess* gimp = startGimp(
        QStringLiteral("(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE \"%1\" \"%1\")))"
                       " (drawable (car (gimp-image-get-active-drawable image))))"
                       " (catch #f (plug-in-strovane-painting RUN-INTERACTIVE image drawable \"\")))")
            .arg(in));
    ASSERT_TRUE(waitForLog(gimp, "input changed inside module", 120000)) << log(gimp).toStdString();
    ASSERT_FALSE(windowNamed(kMainTitle).isEmpty());
    QProcess pkill;
    pkill.start(QStringLiteral("pkill"), {"-KILL", "-x", "strovane-painti"});
    // (The guard names itself otherwise; GIMP ends the plug-in alone.)
    pkill.waitForFinished();
    ASSERT_EQ(pkill.exitCode(), 0) << "the plug-in was running";
    for (int i = 0; i < 50 && !windowNamed(kMainTitle, 200).isEmpty(); ++i)
        QThread::msleep(200);
    EXPECT_TRUE(windowNamed(kMainTitle, 500).isEmpty()) << "the program went";
    EXPECT_TRUE(!ExchangeSegments::anyLeft());
    EXPECT_TRUE(finishes(gimp)) << log(gimp).toStdString();
}

TEST_F(GimpPlugin, InGimpsWindowThePaintingIsOneUndoStep)
{
    // GIMP with its window, the photo open, and Script-Fu read from stdin.
    const QString in = home.filePath("in.png"), painted = home.filePath("painted.png"),
                  undone = home.filePath("undone.png");
    cv::imwrite(in.toStdString(), photo);
    for (const char* folder : {"brushes", "dynamics", "fonts", "gradients", "palettes", "patterns", "tool-presets"})
        QDir().mkpath(home.filePath(QStringLiteral("gimp/") + folder));
    auto owned = std::make_unique<QProcess>();
    QProcess* gimp = owned.get();
    gimp->setProcessEnvironment(environment);
    gimp->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(gimp, &QProcess::readyRead, [this, gimp] { output[gimp] += QString::fromUtf8(gimp->readAll()); });
    gimp->start(QStringLiteral("gimp"), {"-s", "-d", "-f", "-b", "-", in});
    started.push_back(std::move(owned));
    const QString gimpWindow = windowNamed(QStringLiteral("[in] (imported)-1.0 (RGB color 8-bit gamma integer, GIMP "
                                                          "built-in sRGB, 1 layer) 333x208 – GIMP"),
                                           180000);
    ASSERT_FALSE(gimpWindow.isEmpty()) << log(gimp).toStdString();
    auto run = [gimp](const QString& body) {
        gimp->write(QStringLiteral("(let* ((image (vector-ref (cadr (gimp-image-list)) 0))"
                                   " (drawable (car (gimp-image-get-active-drawable image)))) %1)\n")
                        .arg(body)
                        .toUtf8());
    };
    auto saveAs = [&](const QString& file) {
        run(QStringLiteral("(gimp-file-save RUN-NONINTERACTIVE image drawable \"%1\" \"%1\")").arg(file));
        for (int i = 0; i < 100 && !QFile::exists(file); ++i)
            gimp->waitForReadyRead(200);
        QThread::msleep(500);
    };

    run(QStringLiteral("(plug-in-strovane-painting RUN-INTERACTIVE image drawable \"\")"));
    ASSERT_TRUE(waitForLog(gimp, "input changed inside module", 120000)) << log(gimp).toStdString();
    QThread::msleep(1500);
    const QString window = windowNamed(kMainTitle);
    ASSERT_FALSE(window.isEmpty());
    press(window, "Return");
    for (int i = 0; i < 100 && !windowNamed(kMainTitle, 200).isEmpty(); ++i)
        QThread::msleep(200);
    saveAs(painted);
    press(gimpWindow, "ctrl+z");
    QThread::msleep(1000);
    saveAs(undone);
    gimp->write("(gimp-quit 1)\n");
    gimp->closeWriteChannel();
    EXPECT_TRUE(gimp->waitForFinished(60000));

    const cv::Mat afterPainting = cv::imread(painted.toStdString()), afterUndo = cv::imread(undone.toStdString());
    ASSERT_EQ(afterPainting.size(), photo.size()) << log(gimp).toStdString();
    ASSERT_EQ(afterUndo.size(), photo.size());
    EXPECT_GT(meanDifference(afterPainting, photo), 2.0) << "painted";
    EXPECT_EQ(cv::norm(afterUndo, photo, cv::NORM_INF), 0.0) << "one Ctrl+Z takes all of it back";
}

TEST_F(GimpPlugin, AnAnswerWithALyingLayoutIsHarmless)
{
    // A program that answers "done" with a record whose sizes and gray flag
    // are not the ones the plug-in wrote.
    const QString fake = home.filePath("fake");
    QDir().mkpath(fake);
    ASSERT_TRUE(QFile::link(QStringLiteral(FAKE_PROGRAM), fake + "/vmstrovane2"));
    QDir(home.path()).mkpath("xdg/Velmora Labs");
    QSettings system(home.filePath("xdg/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
    system.setValue("InstallPath", fake);
    system.sync();
    environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
    environment.insert("STROVANE_FAKE_ANSWER", "lying");

    cv::Mat gray;
    cv::cvtColor(photo, gray, cv::COLOR_BGR2GRAY);
    const QString in = home.filePath("gray-in.png"), out = home.filePath("gray-out.png");
    cv::imwrite(in.toStdString(), gray);
    QProcess* gimp = startGimp(paintCommands(in, out, "RUN-NONINTERACTIVE", QString()));
    ASSERT_TRUE(finishes(gimp)) << log(gimp).toStdString();
    EXPECT_FALSE(log(gimp).contains("crashed")) << log(gimp).toStdString();
    const cv::Mat back = cv::imread(out.toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(back.size(), gray.size()) << log(gimp).toStdString();
    EXPECT_EQ(cv::norm(back, gray, cv::NORM_INF), 0.0) << "the planes read back in the plug-in's own layout";
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}
