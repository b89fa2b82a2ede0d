#include <QDir>
#include <QThread>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace {

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

// The system's environment, with a runtime folder where it has none (Qt
// would add a line about it to what the renderer prints).
QProcessEnvironment renderEnvironment()
{
    static QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    }
    return env;
}

CliRun render(const QStringList& args, int timeoutMs = 300000)
{
    QProcess p;
    p.setProcessEnvironment(renderEnvironment());
    p.start(QStringLiteral(STROVANE_RENDER), args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {-2, QByteArray(), "timed out"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// The render under a command that limits it (prlimit); its exit code and
// its peak memory in kilobytes, as the system counted them.
struct Measured {
    int exitCode;
    long peakKB;
    QByteArray err;
};
Measured renderMeasured(const QStringList& args, const QStringList& limit = {})
{
    QTemporaryDir dir;
    const QByteArray errPath = QFile::encodeName(dir.filePath("err"));
    std::vector<QByteArray> words;
    for (const QString& a : limit + QStringList{QStringLiteral(STROVANE_RENDER)} + args)
        words.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    std::vector<QByteArray> variables;
    for (const QString& v : renderEnvironment().toStringList())
        variables.push_back(v.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-3, 0, "cannot start"};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    QFile err(dir.filePath("err"));
    err.open(QIODevice::ReadOnly);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss, err.readAll()};
}

// A small JPEG whose frame header claims width x height.
QByteArray jpegClaiming(int width, int height)
{
    std::vector<uchar> bytes;
    cv::imencode(".jpg", cv::Mat(64, 64, CV_8UC3, cv::Scalar(90, 120, 150)), bytes);
    QByteArray jpeg(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    const int sof = jpeg.indexOf("\xff\xc0");
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}

QString data(const char* name)
{
    return QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name);
}

} // namespace

TEST(RenderCli, ListParamsPrintsTheTable)
{
    const CliRun r = render({QStringLiteral("--list-params")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QList<QByteArray> lines = r.out.split('\n');
    ASSERT_TRUE(lines.last().isEmpty()) << "every line ends with a newline";
    lines.removeLast(); // after the last newline; the tabs of empty columns stay
    ASSERT_EQ(lines.size(), 60);
    // key, type, default, minimum, maximum (empty without a range)
    EXPECT_EQ(lines.first(), QByteArray("stroke_type\tstring\te626558c-77dc-4b33-b795-ca2642b2ed21\t\t"));
    EXPECT_EQ(lines.at(1), QByteArray("stroke_brush_size\tfloat\t0.5\t0\t1"));
    EXPECT_TRUE(lines.contains("density_level\tint\t1\t0\t2"));
    EXPECT_TRUE(lines.contains("bg_type\tbool\tfalse\t\t"));
    EXPECT_TRUE(lines.contains("reveal_center\tpoint\t0.5,0.5\t\t"));
    EXPECT_TRUE(lines.contains("bg_canvas_texture_dir\tpoint\t1,0\t\t"));
    EXPECT_TRUE(lines.contains("reveal_size\tfloat\t1\t0\t1"));
    EXPECT_TRUE(lines.contains("hsl_sat_all\tfloat\t0\t-1\t1"));
    EXPECT_EQ(lines.last(), QByteArray("vignette_color\tcolour\t#000000ff\t\t"));
}

TEST(RenderCli, ConvertsAnOldPreset)
{
    const CliRun r = render({QStringLiteral("--convert-preset"), data("old-style.json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o.size(), 62);
    EXPECT_EQ(o.value(QStringLiteral("stroke_type")).toString(), QStringLiteral("b7826764-6a69-494c-9105-dc71092333cd"));
    EXPECT_EQ(o.value(QStringLiteral("canvas_type")).toString(), QStringLiteral("eba5b271-0c67-4937-8d34-02d280932023"));
    EXPECT_EQ(o.value(QStringLiteral("stroke_brush_size")).toDouble(), 0.7);
    EXPECT_EQ(o.value(QStringLiteral("stroke_balance")).toDouble(), 0.0);
    EXPECT_EQ(o.value(QStringLiteral("hsl_hue_red")).toDouble(), 0.5);
    EXPECT_EQ(o.value(QStringLiteral("reveal_center")).toVariant(), QVariant(QVariantList{0.25, 0.0}));
    EXPECT_EQ(o.value(QStringLiteral("vignette_color")).toString(), QStringLiteral("#000000ff"));
    EXPECT_EQ(o.value(QStringLiteral("bg_canvas_texture_color")).toString(), QStringLiteral("#336699ff"));
    EXPECT_TRUE(o.value(QStringLiteral("stroke_width")).isNull()) << "absent old key copied as stored";
    EXPECT_EQ(o.value(QStringLiteral("stroke_rotation")).toDouble(-1), 0.0);
    // Keys come out sorted.
    EXPECT_LT(r.out.indexOf("\"bg_canvas_texture_color\""), r.out.indexOf("\"blendMode\""));
    EXPECT_LT(r.out.indexOf("\"blendMode\""), r.out.indexOf("\"canvas_type\""));
}

TEST(RenderCli, PrintsACurrentPresetAsRead)
{
    const CliRun r = render({QStringLiteral("--convert-preset"), data("current-style.json")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(o.keys(), (QStringList{"density_level", "reveal_center", "stroke_brush_size", "vignette_color"}));
    EXPECT_EQ(o.value(QStringLiteral("reveal_center")).toVariant(), QVariant(QVariantList{0.25, 0.75}));
}

TEST(RenderCli, BadInputIsAOneLineErrorWithExitCode2)
{
    const QStringList files{data("missing.json"), data("truncated.json"), data("unknown-version.json"),
                            data("future-version.json")};
    for (const QString& f : files) {
        const CliRun r = render({QStringLiteral("--convert-preset"), f});
        EXPECT_EQ(r.exitCode, 2) << f.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << f.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.startsWith("strovane-render: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << "one line: " << r.err.constData();
    }
    EXPECT_EQ(render({QStringLiteral("--no-such-option")}).exitCode, 2);
    EXPECT_EQ(render({QStringLiteral("--convert-preset")}).exitCode, 2);
}

TEST(RenderCli, HelpAndVersion)
{
    const CliRun help = render({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--list-params"));
    const CliRun version = render({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray("strovane-render 2.0.5\n"));
}

namespace {
const QString kExample = QStringLiteral(EXAMPLE_PHOTO);
} // namespace

TEST(RenderCli, PaintsAPhotographIntoEachFormat)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QStringList extra;
        int depth;
    } cases[] = {{"out.png", {}, CV_8U}, {"out16.png", {"--depth", "16"}, CV_16U}, {"out.jpg", {}, CV_8U},
                 {"out.tif", {"--depth", "16"}, CV_16U}};
    for (const Case& c : cases) {
        const QString out = dir.filePath(QLatin1String(c.name));
        const CliRun r = render(QStringList{"--decimation", "4"} + c.extra + QStringList{kExample, out});
        ASSERT_EQ(r.exitCode, 0) << c.name << r.err.constData();
        const cv::Mat image = cv::imread(out.toStdString(), cv::IMREAD_UNCHANGED);
        EXPECT_EQ(image.cols, 640) << c.name;
        EXPECT_EQ(image.rows, 400) << c.name;
        EXPECT_EQ(image.depth(), c.depth) << c.name;
        cv::Scalar mean, sd;
        cv::meanStdDev(image, mean, sd);
        EXPECT_GT(sd[0] + sd[1] + sd[2], 10.0) << c.name << ": a picture, not a flat colour";
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4) << "no temporary files left";
}

TEST(RenderCli, ThenRerendersWithTheSameCaches)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("then.png");
    const CliRun r = render({"--decimation", "4", "--stats", "--set", "density_level=0", "--then",
                             "canvas_type=eba5b271-0c67-4937-8d34-02d280932023,reveal_center=0.4,0.6", kExample, out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QString err = QString::fromUtf8(r.err);
    const int second = err.indexOf("request 2:");
    ASSERT_GT(second, 0) << r.err.constData();
    EXPECT_TRUE(err.mid(0, second).contains("cache painting miss"));
    // reveal_center is a painting key, the canvas is not.
    EXPECT_TRUE(err.mid(second).contains("cache preprocessing hit"));
    EXPECT_TRUE(err.mid(second).contains("cache adjustment hit"));
    EXPECT_TRUE(err.mid(second).contains("cache painting miss"));
    EXPECT_TRUE(QFile::exists(out));
}

TEST(RenderCli, BadRequestsFailWithoutWritingOutput)
{
    QTemporaryDir dir;
    QFile source(kExample);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray jpeg = source.readAll();
    auto write = [&](const char* name, const QByteArray& data) {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return f.fileName();
    };
    const QString truncated = write("truncated.jpg", jpeg.left(jpeg.size() * 2 / 3));
    const QString corrupt = write("corrupt.png", QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(500, 'z'));
    const QString out = dir.filePath("never.png");
    const QList<QStringList> cases{
        {truncated, out},
        {corrupt, out},
        {dir.filePath("missing.jpg"), out},
        {"--set", "no_such_key=1", kExample, out},
        {"--set", "stroke_brush_size=big", kExample, out},
        {"--set", "reveal_center=0.5", kExample, out},
        {"--then", "density_level=1.5", kExample, out},
        {"--set", "stroke_brush_size=1.01", kExample, out},
        {"--set", "stroke_width=-1.5", kExample, out},
        {"--then", "density_level=3", kExample, out},
        {"--depth", "16", kExample, dir.filePath("never.jpg")},
        {"--decimation", "0", kExample, out},
        {"--region", "10,10,100,100", kExample, out},
        {"--preview", "--region", "10,10,0,100", kExample, out},
        {"--preview", "--region", "10,10,100", kExample, out},
        {kExample, dir.filePath("never.bmp")},
        {"--preset", dir.filePath("missing.json"), kExample, out},
        {kExample},
    };
    for (const QStringList& args : cases) {
        const CliRun r = render(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("strovane-render: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "only the two broken inputs";
}

// Renders of the example photograph as they were when the references were
// painted (scripts/render-references.sh): speed work must not change them
// beyond half-float rounding.
TEST(RenderCli, RendersMatchTheReferences)
{
    QTemporaryDir dir;
    const QString refs = data("references/");
    struct Case {
        const char* name;
        QStringList args;
    } cases[] = {
        {"default.png", {}},
        {"level0-relief.png", {"--set", "density_level=0", "--set", "stroke_paint_volume=0.6"}},
        {"impasto.png", {"--preset", refs + "impasto.json"}},
        {"hatching-vignette.png", {"--preset", refs + "hatching.json", "--set", "vignette_midpoint=0.5"}},
    };
    for (const Case& c : cases) {
        const QString out = dir.filePath(QLatin1String(c.name));
        const CliRun r = render(QStringList{"--decimation", "4"} + c.args + QStringList{kExample, out});
        ASSERT_EQ(r.exitCode, 0) << c.name << r.err.constData();
        const cv::Mat now = cv::imread(out.toStdString()), then = cv::imread((refs + c.name).toStdString());
        ASSERT_EQ(now.size(), then.size()) << c.name;
        cv::Mat diff;
        cv::absdiff(now, then, diff);
        const cv::Scalar mean = cv::mean(diff);
        EXPECT_LT((mean[0] + mean[1] + mean[2]) / 3, 0.25) << c.name;
        cv::Mat off;
        cv::threshold(diff.reshape(1), off, 2, 1, cv::THRESH_BINARY);
        EXPECT_LT(cv::countNonZero(off), int(diff.total() * 3 / 1000)) << c.name << ": samples off by more than 2";
    }
}

TEST(RenderCli, WorksWithoutADisplay)
{
    auto virtualDisplays = [] {
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {"-c", "-x", "Xvfb"});
        pgrep.waitForFinished();
        return pgrep.readAllStandardOutput().trimmed().toInt();
    };
    const int before = virtualDisplays();
    QTemporaryDir dir;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STROVANE_RENDER), {"--decimation", "8", kExample, dir.filePath("out.png")});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_EQ(cv::imread(dir.filePath("out.png").toStdString()).cols, 320);
    EXPECT_EQ(virtualDisplays(), before) << "its own display ended with it";
}

namespace {

// A PNG whose header claims width x height; its pixels never come.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    auto be32 = [](quint32 v) {
        const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(b, 4);
    };
    const QByteArray ihdr = QByteArray("IHDR") + be32(width) + be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const QByteArray iend("IEND");
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(ihdr.constData()), uInt(ihdr.size()))))
        + be32(0) + iend + be32(quint32(crc32(0, reinterpret_cast<const Bytef*>(iend.constData()), 4)));
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(RenderCli, AnImageTooLargeForTheMachineIsRefusedBeforeDecoding)
{
    QTemporaryDir dir;
    const QString huge = dir.filePath("huge.png");
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(pngHeaderOnly(30000, 30000));
    f.close();
    const CliRun r = render({huge, dir.filePath("out.png")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("30000 x 30000 pixels")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("268 megapixels")) << "the message says the limit";
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
}

TEST(RenderCli, AFullDiskKeepsTheOldFileAndLeavesNoPartialOne)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.filePath("full"));
    QDir().mkpath(dir.filePath("full"));
    if (::geteuid() != 0 || ::mount("strovane-test", folder.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no small file system can be made here (root and tmpfs are needed)";
    const QString out = dir.filePath("full/out.png");
    ASSERT_TRUE(cv::imwrite(out.toStdString(), cv::Mat(16, 16, CV_8UC3, cv::Scalar(1, 2, 3))));
    const QByteArray before = contents(out);
    const CliRun r = render({"--decimation", "4", kExample, out});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("cannot write")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("No space left on device")) << "the reason, not \"Unknown error\"";
    EXPECT_EQ(contents(out), before);
    EXPECT_EQ(QDir(dir.filePath("full")).entryList(QDir::Files | QDir::Hidden), QStringList{"out.png"});
    ::umount(folder.constData());
}

TEST(RenderCli, KilledWhileWritingItLeavesTheOldFileOrTheNewOneNeverATornOne)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("big.tif");
    ASSERT_TRUE(cv::imwrite(out.toStdString(), cv::Mat(16, 16, CV_8UC3, cv::Scalar(1, 2, 3))));
    const QByteArray before = contents(out);
    // Killed as soon as the temporary file of the write shows up.
    QProcess p;
    p.start(QStringLiteral(STROVANE_RENDER), {"--depth", "16", "--decimation", "2", kExample, out});
    bool sawWrite = false;
    while (!sawWrite && !p.waitForFinished(0)) {
        sawWrite = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() > 1;
        if (!sawWrite)
            QThread::usleep(200);
    }
    if (sawWrite)
        ::kill(pid_t(p.processId()), SIGKILL);
    p.waitForFinished(60000);
    const QByteArray after = contents(out);
    if (after != before) {
        const cv::Mat written = cv::imread(out.toStdString(), cv::IMREAD_UNCHANGED);
        EXPECT_EQ(written.cols, 1280) << "a new file only whole";
        EXPECT_EQ(written.rows, 800);
    }
    EXPECT_TRUE(sawWrite || p.exitCode() == 0);
}

namespace {

// The program's brush and canvas folder, with some files replaced.
struct BrokenTgrc {
    QTemporaryDir dir;
    explicit BrokenTgrc(const QMap<QString, QByteArray>& replaced)
    {
        const QDir tgrc(QStringLiteral(TGRC_DIR));
        for (const QString& name : tgrc.entryList(QDir::Files))
            if (!replaced.contains(name))
                QFile::link(tgrc.filePath(name), dir.filePath(name));
        for (auto it = replaced.begin(); it != replaced.end(); ++it) {
            if (it.value().isNull())
                continue; // left out
            QFile f(dir.filePath(it.key()));
            f.open(QIODevice::WriteOnly);
            f.write(it.value());
        }
    }
};

} // namespace

TEST(RenderCli, ABrokenBrushSetOrCanvasPaintsWithoutItAndSaysSoOnce)
{
    const QString round = QStringLiteral("83fc382d-ef61-47a5-9ebc-da13fe1d00fe");
    const QString canvas = QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613");
    const QByteArray absurd =
        R"({"meta": {"size": {"w": 0, "h": 0}}, "frames": [{"frame": {"x": 0, "y": 0, "w": 1e30, "h": -5}}]})";
    struct Case {
        const char* what;
        QMap<QString, QByteArray> replaced;
        QStringList args;
        const char* said;
    } cases[] = {
        {"a missing atlas", {{round + "normal.png", QByteArray()}}, {"--set", "stroke_type=" + round},
         "its atlas image cannot be read. The default brushes paint instead."},
        {"a corrupt atlas", {{round + "normal.png", QByteArray("\x89PNG\r\n\x1a\nnot really", 18)}},
         {"--set", "stroke_type=" + round}, "its atlas image cannot be read"},
        {"absurd frame sizes", {{round + ".json", absurd}}, {"--set", "stroke_type=" + round},
         "a frame lies outside its atlas"},
        {"a missing description", {{round + ".json", QByteArray()}}, {"--set", "stroke_type=" + round},
         "its description has no frames"},
        {"a corrupt canvas", {{canvas + ".png", QByteArray("garbage")}}, {"--set", "bg_canvas_texture_strength=0.8"},
         "cannot be read: the painting has no canvas relief"},
    };
    for (const Case& c : cases) {
        BrokenTgrc tgrc(c.replaced);
        QTemporaryDir out;
        const CliRun r = render(QStringList{"--decimation", "8", "--tgrc", tgrc.dir.path()} + c.args
                                + QStringList{"--then", "stroke_rotation=0.3", kExample, out.filePath("out.png")});
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err.constData();
        EXPECT_EQ(QString::fromUtf8(r.err).count(QString::fromLatin1(c.said)), 1) << c.what << ": " << r.err.constData();
        cv::Scalar mean, sd;
        cv::meanStdDev(cv::imread(out.filePath("out.png").toStdString()), mean, sd);
        EXPECT_GT(sd[0] + sd[1] + sd[2], 10.0) << c.what << ": a painting, not a flat colour";
    }
}

TEST(RenderCli, OutputThroughASymbolicLinkIsRefused)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.txt"), link = dir.filePath("link.png");
    writeFile(victim, "keep me");
    ASSERT_TRUE(QFile::link(victim, link));
    const CliRun r = render({"--decimation", "8", kExample, link});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("symbolic link")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    EXPECT_EQ(contents(victim), QByteArray("keep me"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST(RenderCli, WhatIsNotARegularFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.jpg");
    ASSERT_EQ(::mkfifo(qPrintable(fifo), 0600), 0);
    const QString out = dir.filePath("never.png");
    const QList<QStringList> cases{
        {"/dev/zero", out},
        {fifo, out},
        {"--preset", "/dev/zero", kExample, out},
        {"--preset", fifo, kExample, out},
        {"--convert-preset", "/dev/zero"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = render(args, 20000);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString() << ": " << r.err.constData();
        EXPECT_TRUE(r.err.contains("not a regular file")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST(RenderCli, APictureThatEndsEarlyIsAnErrorInOneLineAndACorruptOneDecodesQuietly)
{
    QTemporaryDir dir;
    const QByteArray jpeg = contents(kExample);
    // The frame claims ten times the rows its data holds.
    QByteArray lying = jpeg;
    const int sof = lying.indexOf("\xff\xc0");
    const int rows = (uchar(lying[sof + 5]) << 8 | uchar(lying[sof + 6])) * 10;
    lying[sof + 5] = char(rows >> 8);
    lying[sof + 6] = char(rows & 0xff);
    writeFile(dir.filePath("lying.jpg"), lying);
    CliRun r = render({"--decimation", "8", dir.filePath("lying.jpg"), dir.filePath("lying.png")});
    EXPECT_EQ(r.exitCode, 2) << "not a mostly grey painting";
    EXPECT_TRUE(r.err.contains("truncated")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();

    // Damage inside the data: the decoder's warnings stay unprinted.
    QByteArray damaged = jpeg;
    const int scan = damaged.indexOf("\xff\xda") + 2000;
    for (int i = 0; i < 64; ++i)
        damaged[scan + i] = char(0x3c + i);
    writeFile(dir.filePath("damaged.jpg"), damaged);
    r = render({"--decimation", "8", dir.filePath("damaged.jpg"), dir.filePath("damaged.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1) << "the one line that says where it wrote: " << r.err.constData();
}

TEST(RenderCli, PicturesTooLargeForTheMemoryAreRefusedWithTheFigures)
{
    QTemporaryDir dir;
    // 693 bytes that claim 16000 x 16000 pixels.
    const QString bomb = dir.filePath("bomb.jpg");
    writeFile(bomb, jpegClaiming(16000, 16000));
    Measured m = renderMeasured({bomb, dir.filePath("out.png")});
    EXPECT_EQ(m.exitCode, 2);
    EXPECT_TRUE(m.err.contains("truncated")) << m.err.constData();
    EXPECT_LT(m.peakKB, 200 * 1024) << "refused before its pixels are made";

    m = renderMeasured({"--max-memory", "4G", bomb, dir.filePath("out.png")});
    EXPECT_EQ(m.exitCode, 2);
    EXPECT_TRUE(m.err.contains("16000 x 16000 pixels: painting it needs about 11.1 GB, more than the 4.0 GB of --max-memory"))
        << m.err.constData();

    // A small 16000 x 16000 PNG under a 4 GB address-space limit: an
    // error, not a crash in the GL driver. (AddressSanitizer reserves
    // terabytes of address space for itself: no such limit can hold it.)
#ifndef __SANITIZE_ADDRESS__
    const QString png = dir.filePath("huge.png");
    writeFile(png, pngHeaderOnly(16000, 16000));
    m = renderMeasured({png, dir.filePath("out.png")}, {"prlimit", "--as=4294967296"});
    EXPECT_EQ(m.exitCode, 2) << m.err.constData();
    EXPECT_TRUE(m.err.contains("address-space limit")) << m.err.constData();
    EXPECT_EQ(m.err.count('\n'), 1) << m.err.constData();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
#endif
}

TEST(RenderCli, LowResolutionPaintsAndWritesAtMostTheWorkingSize)
{
    QTemporaryDir dir;
    cv::Mat large;
    cv::resize(cv::imread(kExample.toStdString()), large, cv::Size(10000, 6250), 0, 0, cv::INTER_LINEAR);
    const QString in = dir.filePath("large.jpg"), out = dir.filePath("out.png");
    ASSERT_TRUE(cv::imwrite(in.toStdString(), large));
    large.release();
    const Measured m = renderMeasured({"--low-resolution", in, out});
    ASSERT_EQ(m.exitCode, 0) << m.err.constData();
    const cv::Mat painted = cv::imread(out.toStdString());
    EXPECT_EQ(painted.cols, 2048);
    EXPECT_EQ(painted.rows, 1280);
    EXPECT_LT(m.peakKB, 1024 * 1024) << "a 62-megapixel photo painted small stays small (measured about 0.5 GB)";
}
