// strovane-host as a script runs it: image files in and out, the real
// program painting them (silently, or in its window driven with xdotool),
// and the fake program where the program must misbehave.
#include "ExchangeSegments.h"
#include "ImageDifference.h"
#include "ProgramFixture.h"

#include <TIcc.h>
#include <TImageIO.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <exiv2/exiv2.hpp>
#include <lcms2.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace {

const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");

struct Result {
    int exitCode = -1;
    QString out, err;
};

QByteArray grayProfile()
{
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(int(size), 0);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(gamma);
    return bytes;
}

class StrovaneHost : public Program {
protected:
    void SetUp() override
    {
        Program::SetUp();
        ExchangeSegments::removeAll();
        settleAsReturningUser();
        cv::Mat full = cv::imread(BIN_DIR "/Resources/images/example.jpg");
        ASSERT_FALSE(full.empty());
        cv::resize(full, photo, cv::Size(333, 208), 0, 0, cv::INTER_AREA);
        guid = builtInStyle(&presetFile);
    }
    void TearDown() override
    {
        Program::TearDown();
        ExchangeSegments::removeAll();
    }

    QProcess* startHost(const QStringList& args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment);
        p->start(QStringLiteral(STROVANE_HOST), args);
        p->waitForStarted();
        started.push_back(std::move(p));
        return started.back().get();
    }
    static Result finish(QProcess* p, int timeoutMs = 300000)
    {
        Result r;
        const bool ended = p->state() == QProcess::NotRunning || p->waitForFinished(timeoutMs);
        if (ended && p->exitStatus() == QProcess::NormalExit)
            r.exitCode = p->exitCode();
        r.out = QString::fromUtf8(p->readAllStandardOutput());
        r.err = QString::fromUtf8(p->readAllStandardError());
        return r;
    }
    Result host(const QStringList& args) { return finish(startHost(args)); }

    // Where the host finds "the program": the install folder's setting.
    void installAt(const QString& folder)
    {
        QDir(home.path()).mkpath("xdg/Velmora Labs");
        QSettings system(home.filePath("xdg/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
        system.setValue("InstallPath", folder);
        system.sync();
        environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
    }
    // The fake program as the installed one, answering as told.
    void installFake(const char* answer)
    {
        const QString folder = home.filePath("fake");
        QDir().mkpath(folder);
        QFile::link(QStringLiteral(FAKE_PROGRAM), folder + "/vmstrovane2");
        installAt(folder);
        environment.insert("STROVANE_FAKE_ANSWER", QLatin1String(answer));
    }
    QString write(const cv::Mat& image, const QString& name, const TImageIO::SaveOptions& options)
    {
        const QString path = home.filePath(name);
        QString error;
        EXPECT_TRUE(TImageIO::save(path, image, options, &error)) << error.toStdString();
        return path;
    }
    // The file's pixels as stored and its profile.
    static cv::Mat stored(const QString& path, QByteArray* profile = nullptr)
    {
        QByteArray icc;
        TImageIO::LoadOptions options;
        options.storedProfile = &icc;
        TSMat image;
        QString error;
        EXPECT_TRUE(TImageIO::load(path, &image, &error, options)) << error.toStdString();
        if (profile)
            *profile = icc;
        return image.mat();
    }
    // The program's window, driven until the host has its answer: keys
    // sent before the window takes them are sent again.
    Result pressUntilAnswered(QProcess* p, const char* key)
    {
        const QString window = windowNamed(kMainTitle, 120000);
        EXPECT_FALSE(window.isEmpty());
        for (int i = 0; i < 60 && p->state() != QProcess::NotRunning; ++i) {
            press(window, key);
            p->waitForFinished(2000);
        }
        return finish(p);
    }

    cv::Mat photo;
    QString guid, presetFile;
};

TEST_F(StrovaneHost, ASilentReplayOfABuiltInStylePaintsLikeTheRenderer)
{
    const QString in = home.filePath("in.png"), out = home.filePath("out.png"), rendered = home.filePath("rendered.png");
    cv::imwrite(in.toStdString(), photo);
    const Result r = host({"--silent", "--preset-id", guid, in, out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, guid + "\n") << "the applied preset id, one line";
    EXPECT_TRUE(windowNamed(kMainTitle, 500).isEmpty()) << "no window";

    QProcess render;
    render.start(QStringLiteral(BIN_DIR "/strovane-render"), {"--preset", presetFile, in, rendered});
    ASSERT_TRUE(render.waitForFinished(120000));
    const cv::Mat painted = cv::imread(out.toStdString()), reference = cv::imread(rendered.toStdString());
    ASSERT_EQ(painted.size(), photo.size());
    EXPECT_LT(meanDifference(painted, reference), 2.0) << "painted in the style";
    EXPECT_GT(meanDifference(painted, photo), 2.0);
    struct stat status = {};
    ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u) << "a new file is the user's alone";
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, EachFormatComesBackInItsOwnLayoutAndProfile)
{
    cv::Mat alpha, rgba, gray16;
    cv::cvtColor(photo, alpha, cv::COLOR_BGR2GRAY);
    std::vector<cv::Mat> channels;
    cv::split(photo, channels);
    channels.push_back(alpha);
    cv::merge(channels, rgba);
    alpha.convertTo(gray16, CV_16U, 257.0);
    cv::Mat photo16;
    photo.convertTo(photo16, CV_16U, 257.0);

    // Gray with a gray profile of its own (gamma 2.2).
    TImageIO::SaveOptions grayJpeg;
    grayJpeg.asStored = true;
    grayJpeg.iccProfile = grayProfile();
    TImageIO::SaveOptions adobeJpeg;
    adobeJpeg.adobeRGB = true;
    TImageIO::SaveOptions tiff16;
    tiff16.depth = 16;
    struct Case {
        const char* name;
        QString in;
        int depth, channels; // of OUT as stored
    } cases[] = {
        {"Adobe RGB JPEG", write(photo, "adobe.jpg", adobeJpeg), 8, 3},
        {"16-bit TIFF", write(photo16, "sixteen.tif", tiff16), 16, 3},
        {"PNG with alpha", home.filePath("alpha.png"), 8, 4},
        {"16-bit gray PNG", home.filePath("gray16.png"), 16, 1},
        {"gray JPEG with a gray profile", write(alpha, "gray.jpg", grayJpeg), 8, 1},
    };
    cv::imwrite(cases[2].in.toStdString(), rgba);
    cv::imwrite(cases[3].in.toStdString(), gray16);
    // The camera's metadata, which goes with the painting.
    {
        auto jpeg = Exiv2::ImageFactory::open(cases[0].in.toStdString());
        jpeg->readMetadata();
        jpeg->exifData()["Exif.Image.Make"] = "Velmora Optics";
        jpeg->iptcData()["Iptc.Application2.Headline"] = "Marigold";
        jpeg->xmpData()["Xmp.xmp.Label"] = "garden";
        jpeg->writeMetadata();
    }
    for (const Case& c : cases) {
        const QString out = home.filePath(QStringLiteral("out-") + QFileInfo(c.in).fileName());
        const Result r = host({"--silent", "--preset-id", guid, c.in, out});
        ASSERT_EQ(r.exitCode, 0) << c.name << ": " << r.err.toStdString();
        QByteArray inProfile, outProfile;
        const cv::Mat before = stored(c.in, &inProfile), after = stored(out, &outProfile);
        int depth = 0, stored = 0;
        ASSERT_TRUE(TImageIO::storedLayout(out, &depth, &stored)) << c.name;
        EXPECT_EQ(depth, c.depth) << c.name;
        EXPECT_EQ(stored, c.channels) << c.name;
        EXPECT_EQ(TImageIO::formatOf(out), TImageIO::formatOf(c.in)) << c.name;
        EXPECT_EQ(outProfile, inProfile) << c.name << ": the profile goes back as it came";
        ASSERT_EQ(after.size(), before.size()) << c.name;
        ASSERT_EQ(after.channels(), before.channels()) << c.name;
        if (c.channels == 4) {
            cv::Mat a, b;
            cv::extractChannel(before, a, 3);
            cv::extractChannel(after, b, 3);
            EXPECT_EQ(cv::norm(a, b, cv::NORM_INF), 0.0) << c.name << ": alpha kept";
        }
        EXPECT_GT(meanDifference(after, before), 2.0) << c.name << ": painted";
    }
    // OUT's name does not choose the format: IN's is kept, and said.
    const Result named = host({"--silent", "--preset-id", guid, cases[2].in, home.filePath("named.jpg")});
    ASSERT_EQ(named.exitCode, 0) << named.err.toStdString();
    EXPECT_EQ(TImageIO::formatOf(home.filePath("named.jpg")), QStringLiteral("png"));
    EXPECT_TRUE(named.err.contains(QStringLiteral("as PNG, IN's format, though its name says JPG"))) << named.err.toStdString();

    auto painted = Exiv2::ImageFactory::open(home.filePath("out-adobe.jpg").toStdString());
    painted->readMetadata();
    EXPECT_EQ(painted->exifData()["Exif.Image.Make"].toString(), "Velmora Optics");
    EXPECT_EQ(painted->iptcData()["Iptc.Application2.Headline"].toString(), "Marigold");
    EXPECT_EQ(painted->xmpData()["Xmp.xmp.Label"].toString(), "garden");

    // The Adobe RGB photo is painted in its own space: seen in sRGB, the
    // painting of the sRGB photo, not one of colours taken for sRGB ones.
    const QString in = home.filePath("srgb.png"), out = home.filePath("out-srgb.png");
    cv::imwrite(in.toStdString(), photo);
    ASSERT_EQ(host({"--silent", "--preset-id", guid, in, out}).exitCode, 0);
    TSMat adobeSeen;
    QString error;
    ASSERT_TRUE(TImageIO::load(home.filePath("out-adobe.jpg"), &adobeSeen, &error));
    const cv::Mat srgbPainting = cv::imread(out.toStdString());
    cv::Mat taken = stored(home.filePath("out-adobe.jpg"));
    // Strokes fall a little differently on a slightly different photo:
    // the colours are compared in the mean, channel by channel.
    auto colourError = [&](const cv::Mat& m) {
        const cv::Scalar a = cv::mean(m), b = cv::mean(srgbPainting);
        return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
    };
    const double own = colourError(adobeSeen.mat()), misread = colourError(taken);
    std::printf("Adobe RGB painting seen in sRGB against the sRGB one: %.2f levels; its samples taken as sRGB: %.2f\n",
                own, misread);
    EXPECT_LT(own, 4.0);
    EXPECT_LT(own, misread) << own << " against " << misread;
}

TEST_F(StrovaneHost, OnlyTheSelectionIsPaintedAndEverythingElseStaysBitForBit)
{
    TImageIO::SaveOptions tiff16;
    tiff16.depth = 16;
    cv::Mat photo16;
    photo.convertTo(photo16, CV_16U, 257.0);
    const QString png = home.filePath("in.png");
    cv::imwrite(png.toStdString(), photo);
    const cv::Rect selection(100, 40, 120, 90);
    struct Case {
        QString in, selection;
        cv::Rect painted;
    } cases[] = {
        {png, "100,40,120,90", selection},
        {write(photo16, "in.tif", tiff16), "100,40,120,90", selection},
        // Clipped to the picture.
        {png, "250,150,500,500", cv::Rect(250, 150, 83, 58)},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString out = home.filePath(QStringLiteral("out%1.").arg(i++) + QFileInfo(c.in).suffix());
        const Result r = host({"--silent", "--preset-id", guid, "--selection", c.selection, c.in, out});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const cv::Mat before = stored(c.in), after = stored(out);
        ASSERT_EQ(after.size(), before.size());
        ASSERT_EQ(after.type(), before.type());
        cv::Mat outside = cv::Mat::ones(before.size(), CV_8U);
        outside(c.painted).setTo(0);
        cv::Mat difference;
        cv::absdiff(before, after, difference);
        EXPECT_EQ(cv::norm(difference, cv::NORM_INF, outside), 0.0) << c.selection.toStdString() << ": outside kept";
        EXPECT_GT(meanDifference(after(c.painted), before(c.painted)), 2.0) << c.selection.toStdString() << ": inside painted";
    }
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, RunsOneAfterAnotherInABatch)
{
    // The program is one per user: each run waits for it to end.
    for (int i = 0; i < 3; ++i) {
        const QString in = home.filePath(QStringLiteral("batch%1.jpg").arg(i)),
                      out = home.filePath(QStringLiteral("batch%1-out.jpg").arg(i));
        cv::imwrite(in.toStdString(), photo);
        const Result r = host({"--silent", "--preset-id", guid, in, out});
        EXPECT_EQ(r.exitCode, 0) << i << ": " << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(out)) << i;
    }
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, CancelInTheWindowWritesNothing)
{
    const QString in = home.filePath("in.png"), out = home.filePath("out.png");
    cv::imwrite(in.toStdString(), photo);
    const Result r = pressUntilAnswered(startHost({in, out}), "Escape");
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, ApplyInTheWindowWritesThePainting)
{
    const QString in = home.filePath("in.png"), out = home.filePath("out.png");
    cv::imwrite(in.toStdString(), photo);
    const Result r = pressUntilAnswered(startHost({in, out}), "Return");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.count('\n'), 1) << r.out.toStdString();
    EXPECT_GT(meanDifference(cv::imread(out.toStdString()), photo), 2.0) << "painted";
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, InterruptedWhileWaitingItStopsTheProgramAndRemovesTheExchange)
{
    const QString in = home.filePath("in.png"), out = home.filePath("out.png");
    cv::imwrite(in.toStdString(), photo);
    for (const int signal : {SIGTERM, SIGINT}) {
        // Sent to the host alone, as a script's kill would.
        QProcess* p = startHost({in, out});
        ASSERT_FALSE(windowNamed(kMainTitle, 120000).isEmpty()) << signal;
        ::kill(pid_t(p->processId()), signal);
        const Result r = finish(p, 60000);
        EXPECT_EQ(r.exitCode, 1) << signal << ": " << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << signal;
        EXPECT_FALSE(ExchangeSegments::anyLeft()) << signal;
        EXPECT_TRUE(windowNamed(kMainTitle, 500).isEmpty()) << signal << ": the program went";
    }
}

TEST_F(StrovaneHost, AProgramRunningAlreadyRefusesTheExchangeWithItsMessage)
{
    // A copy of the program the user opened holds the single-instance guard.
    QProcess* running = start({});
    ASSERT_FALSE(windowOf(running).isEmpty());
    const QString in = home.filePath("in.png"), out = home.filePath("out.png");
    cv::imwrite(in.toStdString(), photo);
    const Result r = host({"--silent", "--preset-id", guid, in, out});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("already running")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 2) << "a line of progress, one of failure: " << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(ExchangeSegments::anyLeft());
}

TEST_F(StrovaneHost, FailuresExitTwoWithOneClearLineAndNoOutput)
{
    const QString in = home.filePath("in.png");
    cv::imwrite(in.toStdString(), photo);
    const QString notImage = home.filePath("not-an-image.png");
    QFile text(notImage);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just words\n");
    text.close();
    // A "program" that leaves a mark when started.
    const QString marker = home.filePath("started");
    const QString scriptFolder = home.filePath("marking");
    QDir().mkpath(scriptFolder);
    QFile script(scriptFolder + "/vmstrovane2");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString folderOut = home.filePath("a-folder");
    QDir().mkpath(folderOut);
    const QStringList replay{"--silent", "--preset-id", "a-preset"};
    struct Case {
        const char* what;
        std::function<void()> arrange;
        QStringList args;
        const char* says;
        QString out; // else a new file's name
    } cases[] = {
        {"program fails", [&] { installFake("fail"); }, replay + QStringList{in}, "the test said so", {}},
        {"program ends without answering", [&] { installFake("crash"); }, replay + QStringList{in}, "without answering", {}},
        {"program missing", [&] { installAt(home.filePath("nowhere")); }, replay + QStringList{in}, "cannot be started", {}},
        {"not an image", [&] { installAt(scriptFolder); }, replay + QStringList{notImage}, "not a JPEG, TIFF or PNG", {}},
        {"no such file", [&] { installAt(scriptFolder); }, replay + QStringList{home.filePath("missing.png")}, "missing.png", {}},
        {"selection outside", [&] { installAt(scriptFolder); }, {"--selection", "400,10,20,20", in}, "outside", {}},
        {"bad selection", [&] { installAt(scriptFolder); }, {"--selection", "1,2,3", in}, "X,Y,W,H", {}},
        {"OUT's folder missing", [&] { installAt(scriptFolder); }, {in}, "does not exist", home.filePath("no-folder/out.png")},
        {"OUT a folder", [&] { installAt(scriptFolder); }, {in}, "is a folder", folderOut},
        {"silent without a preset", [&] { installAt(scriptFolder); }, {"--silent", in}, "--silent needs --preset-id", {}},
        {"unknown option", [&] { installAt(scriptFolder); }, {"--colour", in}, "unknown option", {}},
    };
    int i = 0;
    for (const Case& c : cases) {
        environment.remove("STROVANE_FAKE_ANSWER");
        c.arrange();
        const QString out = !c.out.isEmpty() ? c.out : home.filePath(QStringLiteral("out%1.png").arg(i));
        ++i;
        const Result r = host(c.args + QStringList{out});
        EXPECT_EQ(r.exitCode, 2) << c.what << ": " << r.err.toStdString();
        const QString last = r.err.trimmed().section(QLatin1Char('\n'), -1);
        EXPECT_TRUE(last.startsWith("strovane-host: ") && last.contains(c.says)) << c.what << ": " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.what;
        EXPECT_TRUE(c.out == folderOut ? QFileInfo(out).isDir() : !QFile::exists(out)) << c.what;
        EXPECT_FALSE(QFile::exists(marker)) << c.what << ": nothing started";
        EXPECT_FALSE(ExchangeSegments::anyLeft()) << c.what;
    }
}

} // namespace
