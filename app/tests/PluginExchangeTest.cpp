// The program started by the filter plug-in: this test plays the plug-in's
// side of the exchange with the same segment code, and drives the window
// with xdotool where there is one.
#include "ExchangeSegments.h"
#include "ImageDifference.h"
#include "LoopbackServer.h"
#include "WindowFixture.h"

#include <IPCParams.h>
#include <IpcSegment.h>

#include <TIcc.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <boost/interprocess/mapped_region.hpp>
#include <boost/interprocess/shared_memory_object.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace bip = boost::interprocess;

namespace {

// The plug-in's side: the five segments filled from an image as Part of
// the exchange's order says, and the planes read back.
struct FakePlugin {
    std::unique_ptr<CVMIPC<IPCParams>> param;
    std::unique_ptr<IpcSegment> icc, planes[3];
    int width = 0, height = 0;

    // image: 8 or 16-bit BGR, or 8-bit gray.
    void create(const cv::Mat& image, const QByteArray& profile, const char* presetId, int dialogMode)
    {
        width = image.cols;
        height = image.rows;
        param.reset(new CVMIPC<IPCParams>(IPCPARAM, 1));
        icc.reset(new IpcSegment(IPCSRCICC, 1, profile.isEmpty() ? kIpcNoIccCount : profile.size() + kIpcIccSlack));
        std::memcpy(icc->payload(), profile.constData(), std::size_t(profile.size()));
        IPCParams* p = params();
        ipcCopyText(p->presetId, sizeof p->presetId, presetId);
        p->dialogMode = std::uint8_t(dialogMode);
        p->status = IPC_STATUS_PENDING;
        p->width = width;
        p->height = height;
        p->bytesPerSample = 2;
        p->rowBytes = ipcRowBytes(width);
        p->iccSize = profile.size();
        const char* const names[3] = {IPCPLANE0, IPCPLANE1, IPCPLANE2};
        for (int i = 0; i < 3; ++i) {
            planes[i].reset(new IpcSegment(names[i], 1, std::uint64_t(p->rowBytes) * height + kIpcPlaneSlack));
            std::memset(planes[i]->payload(), 0xFF, std::size_t(p->rowBytes) * height);
        }
        p->isGray = image.channels() == 1;
        const double scale = image.depth() == CV_16U ? 32767.0 / 65535.0 : 32767.0 / 255.0;
        for (int c = 0; c < image.channels(); ++c) {
            cv::Mat channel;
            cv::extractChannel(image, channel, image.channels() == 1 ? 0 : 2 - c); // planes are R, G, B
            channel.convertTo(channel, CV_16U, scale);
            for (int y = 0; y < height; ++y)
                std::memcpy(plane(c) + std::size_t(y) * p->rowBytes, channel.ptr(y), std::size_t(2 * width));
        }
    }
    IPCParams* params() const { return param->data(); }
    uchar* plane(int i) const { return static_cast<uchar*>(planes[i]->payload()); }
    ushort sample(int i, int x, int y) const
    {
        ushort v;
        std::memcpy(&v, plane(i) + std::size_t(y) * params()->rowBytes + 2 * x, 2);
        return v;
    }
    // 8-bit BGR of the planes (gray: plane 0 three times).
    cv::Mat readBack() const
    {
        cv::Mat channels[3];
        for (int c = 0; c < 3; ++c) {
            const int i = params()->isGray ? 0 : 2 - c;
            cv::Mat host(height, width, CV_16U);
            for (int y = 0; y < height; ++y)
                std::memcpy(host.ptr(y), plane(i) + std::size_t(y) * params()->rowBytes, std::size_t(2 * width));
            host.convertTo(channels[c], CV_8U, 255.0 / 32767.0);
        }
        cv::Mat bgr;
        cv::merge(channels, 3, bgr);
        return bgr;
    }
    bool guardsIntact() const
    {
        for (const auto& p : planes)
            if (!p->guardIntact())
                return false;
        return param->guardIntact();
    }
    bool spareBytesAre0xFF() const
    {
        for (int i = 0; i < 3; ++i)
            for (int y = 0; y < height; ++y)
                for (int b = 2 * width; b < params()->rowBytes; ++b)
                    if (plane(i)[std::size_t(y) * params()->rowBytes + b] != 0xFF)
                        return false;
        return true;
    }
    ~FakePlugin()
    {
        for (auto* s : {static_cast<IpcSegment*>(param.get()), icc.get(), planes[0].get(), planes[1].get(),
                        planes[2].get()})
            if (s)
                s->destroy();
    }
};

class PluginExchange : public Window {
protected:
    void SetUp() override
    {
        Program::SetUp();
        ExchangeSegments::removeAll();
        settleAsReturningUser();
        const cv::Mat example = cv::imread(QStringLiteral(VMSTROVANE2_DIR "/Resources/images/example.jpg").toStdString());
        cv::resize(example, photo, cv::Size(333, 208), 0, 0, cv::INTER_AREA); // rows with spare bytes
    }
    QProcess* startAsPlugin() { return start({}, QStringLiteral("Velmora_Strovane")); }
    // Waits for the program to end; its exit code.
    int finished(QProcess* p, int timeoutMs = 120000)
    {
        EXPECT_TRUE(p->waitForFinished(timeoutMs)) << log(p).toStdString();
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit) << "no crash";
        return p->exitCode();
    }
    cv::Mat photo;
};

} // namespace

TEST_F(PluginExchange, ApplyingInTheWindowHandsThePaintingBack)
{
    cv::Mat photo16, gray;
    photo.convertTo(photo16, CV_16U, 257.0);
    cv::cvtColor(photo, gray, cv::COLOR_BGR2GRAY);
    struct Case {
        const char* what;
        cv::Mat image;
        QByteArray profile;
    } cases[] = {
        {"8-bit RGB in Adobe RGB", photo, TIcc::adobeRGB()},
        {"16-bit RGB without a profile", photo16, QByteArray()},
        {"gray", gray, QByteArray()},
    };
    for (const Case& c : cases) {
        FakePlugin plugin;
        plugin.create(c.image, c.profile, "{1234}", 1);
        const cv::Mat before = plugin.readBack();
        QProcess* p = startAsPlugin();
        ASSERT_TRUE(waitForLog(p, "------ DONE loading module")) << c.what << log(p).toStdString();
        ASSERT_TRUE(waitForLog(p, "input changed inside module"));
        QThread::msleep(1500);
        const QString window = windowOf(p);
        ASSERT_FALSE(window.isEmpty());
        press(window, "Return");
        EXPECT_EQ(finished(p), 0) << c.what;
        EXPECT_TRUE(log(p).contains("Program returns back to Photoshop.")) << c.what;
        const IPCParams* params = plugin.params();
        EXPECT_EQ(params->status, IPC_STATUS_DONE) << c.what << log(p).toStdString();
        const QString presetId = QString::fromLatin1(params->presetId);
        EXPECT_NE(presetId, QStringLiteral("{1234}")) << c.what << ": the applied preset's id comes back";
        EXPECT_GE(presetId.size(), 32) << c.what;
        const cv::Mat after = plugin.readBack();
        ASSERT_EQ(after.size(), before.size());
        EXPECT_GT(meanDifference(after, before), 2.0) << c.what << ": a painting";
        EXPECT_LT(meanDifference(after, before), 30.0) << c.what << ": of the same picture";
        EXPECT_TRUE(plugin.spareBytesAre0xFF()) << c.what;
        EXPECT_TRUE(plugin.guardsIntact()) << c.what;
        if (c.image.channels() == 1) {
            EXPECT_EQ(plugin.sample(1, 10, 10), 0xFFFF) << "planes 1 and 2 carry nothing for gray";
            EXPECT_EQ(plugin.sample(2, 10, 10), 0xFFFF);
        }
        EXPECT_FALSE(ExchangeSegments::anyLeft()) << c.what << ": the program removed the names (the plug-in keeps its views)";
    }
}

// A new user of the filter (no settings) sees the host's image painted
// without touching anything, no welcome over it: the first Escape cancels,
// which leaves the host's image and preset id as they were.
TEST_F(PluginExchange, ANewUserSeesTheHostsImagePaintedAndEscapeCancels)
{
    QDir(home.filePath("config")).removeRecursively();
    cv::Mat large;
    cv::resize(cv::imread(QStringLiteral(VMSTROVANE2_DIR "/Resources/images/example.jpg").toStdString()), large,
               cv::Size(1201, 750), 0, 0, cv::INTER_AREA);
    FakePlugin plugin;
    plugin.create(large, QByteArray(), "{1234}", 2);
    const cv::Mat before = plugin.readBack();
    QProcess* p = startAsPlugin();
    const QString window = windowOf(p);
    ASSERT_FALSE(window.isEmpty()) << log(p).toStdString();
    waitForPaintingOf(window, large);
    EXPECT_FALSE(welcomeShown(screen::grab(window))) << "no welcome over the host's picture";
    press(window, "Escape");
    finished(p);
    EXPECT_EQ(plugin.params()->status, IPC_STATUS_CANCELLED) << log(p).toStdString();
    EXPECT_STREQ(plugin.params()->presetId, "{1234}");
    EXPECT_EQ(meanDifference(plugin.readBack(), before), 0.0);
}

TEST_F(PluginExchange, AWrongEndGuardFailsWithoutAWindow)
{
    FakePlugin plugin;
    plugin.create(photo, QByteArray(), "", 1);
    static_cast<uchar*>(plugin.planes[1]->payload())[plugin.planes[1]->elementCount() + 3] = 0;
    QProcess* p = startAsPlugin();
    EXPECT_EQ(finished(p, 20000), 255);
    EXPECT_EQ(plugin.params()->status, IPC_STATUS_FAILED);
    EXPECT_STREQ(plugin.params()->message, "IPC memory verify fail");
    EXPECT_FALSE(log(p).contains("toplevel module loaded")) << "no window";
}

TEST_F(PluginExchange, RecordsThatDoNotFitTheSegmentsFailNamingTheField)
{
    struct Case {
        const char* what;
        void (*spoil)(FakePlugin&);
        const char* field;
    } cases[] = {
        {"rows longer than the plane segment", [](FakePlugin& f) { f.params()->rowBytes *= 8; }, "rowBytes"},
        {"a negative height", [](FakePlugin& f) { f.params()->height = -208; }, "height"},
        {"a profile beyond its segment", [](FakePlugin& f) { f.params()->iccSize = 1 << 20; }, "iccSize"},
        {"an unterminated preset id",
         [](FakePlugin& f) { std::memset(f.params()->presetId, 'x', sizeof f.params()->presetId); }, "presetId"},
        {"an element count larger than the segment",
         [](FakePlugin&) {
             bip::shared_memory_object info(bip::open_only, IpcSegment::infoName(IPCPLANE2).c_str(), bip::read_write);
             bip::mapped_region region(info, bip::read_write);
             const std::uint64_t lie = std::uint64_t(1) << 40;
             std::memcpy(region.get_address(), &lie, sizeof lie);
         },
         "elementCount"},
    };
    for (const Case& c : cases) {
        FakePlugin plugin;
        plugin.create(photo, QByteArray(), "", 1);
        c.spoil(plugin);
        QProcess* p = startAsPlugin();
        EXPECT_EQ(finished(p, 20000), 255) << c.what;
        EXPECT_EQ(plugin.params()->status, IPC_STATUS_FAILED) << c.what << log(p).toStdString();
        EXPECT_NE(std::strstr(plugin.params()->message, c.field), nullptr) << c.what << ": " << plugin.params()->message;
        EXPECT_FALSE(log(p).contains("toplevel module loaded")) << c.what << ": no window";
        EXPECT_TRUE(plugin.guardsIntact()) << c.what << ": nothing written outside the record";
    }
}

TEST_F(PluginExchange, WithNobodyWaitingTheProgramEndsAndLeavesNothing)
{
    QProcess* p = startAsPlugin();
    EXPECT_EQ(finished(p, 20000), 255);
    EXPECT_TRUE(log(p).contains("no plug-in is waiting")) << log(p).toStdString();
    EXPECT_FALSE(ExchangeSegments::anyLeft());

    FakePlugin over;
    over.create(photo, QByteArray(), "", 1);
    over.params()->status = IPC_STATUS_DONE; // a finished exchange nobody cleaned up
    p = startAsPlugin();
    EXPECT_EQ(finished(p, 20000), 255);
    EXPECT_TRUE(log(p).contains("no plug-in is waiting")) << log(p).toStdString();
    EXPECT_EQ(over.params()->status, IPC_STATUS_DONE) << "left as it was";
}

TEST_F(PluginExchange, SilentReplayPaintsWithTheStoredStyleWithoutAWindow)
{
    QFile stylesFile(QStringLiteral(VMSTROVANE2_DIR "/Resources/styles/styles.json"));
    ASSERT_TRUE(stylesFile.open(QIODevice::ReadOnly));
    const QJsonObject style =
        QJsonDocument::fromJson(stylesFile.readAll()).object().value("styles").toArray().at(3).toObject();
    const QByteArray guid = style.value("guid").toString().toLatin1();

    FakePlugin plugin;
    plugin.create(photo, QByteArray(), guid.constData(), 0);
    // A lock left by a crashed earlier copy does not block the replay.
    const pid_t child = fork();
    if (child == 0) {
        CVMIPC<IPCParams> param(IPCPARAM, 0);
        _exit(param.tryLock() ? 0 : 1);
    }
    int childStatus = 0;
    waitpid(child, &childStatus, 0);
    ASSERT_EQ(WEXITSTATUS(childStatus), 0);

    QProcess* p = startAsPlugin();
    EXPECT_EQ(finished(p), 0);
    EXPECT_EQ(plugin.params()->status, IPC_STATUS_DONE) << log(p).toStdString();
    EXPECT_STREQ(plugin.params()->presetId, guid.constData());
    EXPECT_FALSE(log(p).contains("toplevel module loaded")) << "no window";
    const cv::Mat painted = plugin.readBack();

    // What the renderer paints of the same picture in that style.
    const QString in = home.filePath("in.png"), out = home.filePath("out.png"), preset = home.filePath("style.json");
    cv::imwrite(in.toStdString(), photo);
    QFile presetFile(preset);
    ASSERT_TRUE(presetFile.open(QIODevice::WriteOnly));
    presetFile.write(QJsonDocument(style.value("preset").toObject()).toJson());
    presetFile.close();
    QProcess render;
    render.start(QStringLiteral(VMSTROVANE2_DIR "/strovane-render"), {"--preset", preset, in, out});
    ASSERT_TRUE(render.waitForFinished(120000));
    const cv::Mat rendered = cv::imread(out.toStdString());
    ASSERT_EQ(rendered.size(), painted.size());
    EXPECT_LT(meanDifference(painted, rendered), 2.0) << "painted in the stored style";
    EXPECT_GT(meanDifference(painted, photo), 2.0);

    FakePlugin unknown;
    unknown.create(photo, QByteArray(), "{no-such-preset}", 0);
    p = startAsPlugin();
    EXPECT_EQ(finished(p), 0);
    EXPECT_EQ(unknown.params()->status, IPC_STATUS_DONE);
    EXPECT_TRUE(log(p).contains("painting in the default style")) << log(p).toStdString();
}

TEST_F(PluginExchange, ARecordChangedAfterTheCheckIsHarmless)
{
    FakePlugin plugin;
    plugin.create(photo, QByteArray(), "", 1);
    const cv::Mat before = plugin.readBack();
    QProcess* p = startAsPlugin();
    ASSERT_TRUE(waitForLog(p, "input changed inside module")) << log(p).toStdString();
    QThread::msleep(1500);
    // The plug-in's process writes into the record while the user works.
    IPCParams* record = plugin.params();
    const IPCParams checked = *record;
    record->rowBytes = 1 << 20;
    record->width = 1 << 19;
    record->height = 1 << 19;
    record->isGray = 1;
    record->iccSize = 1 << 30;
    press(windowOf(p), "Return");
    EXPECT_EQ(finished(p), 0);
    EXPECT_EQ(record->status, IPC_STATUS_DONE) << log(p).toStdString();
    *record = checked; // the layout the plug-in wrote first, to read the planes back
    EXPECT_TRUE(plugin.guardsIntact()) << "nothing written outside the planes";
    EXPECT_TRUE(plugin.spareBytesAre0xFF());
    const cv::Mat after = plugin.readBack();
    EXPECT_GT(meanDifference(after, before), 2.0) << "painted, in the checked layout";
    EXPECT_LT(meanDifference(after, before), 30.0);
}

TEST_F(PluginExchange, ASilentReplayAnswersAtOnceWithAnUpdateOfferOrARunningCopy)
{
    // A newer version on offer: the replay shows no question and leaves
    // the day's check to the next standalone start.
    LoopbackServer server("<?xml version=\"1.0\"?><VelmoraStrovane2><version>9.9.9</version><notes>n</notes>"
                          "<link>https://127.0.0.1/get</link></VelmoraStrovane2>");
    environment.insert("STROVANE_UPDATE_URL", server.url("/updates/velmorastrovane2_win.txt"));
    {
        FakePlugin plugin;
        plugin.create(photo, QByteArray(), "", 0);
        QProcess* p = startAsPlugin();
        EXPECT_EQ(finished(p), 0);
        EXPECT_EQ(plugin.params()->status, IPC_STATUS_DONE) << log(p).toStdString();
    }
    EXPECT_EQ(server.requests(), 0);
    QSettings settings(home.filePath("config/Velmora Labs/Velmora Strovane 2.conf"), QSettings::IniFormat);
    EXPECT_FALSE(settings.contains("LAST_AUTOUPD")) << "still due";

    // A copy already runs: the replay is refused with the reason.
    QProcess* standalone = start({});
    ASSERT_FALSE(windowOf(standalone).isEmpty());
    FakePlugin plugin;
    plugin.create(photo, QByteArray(), "", 0);
    const cv::Mat before = plugin.readBack();
    QProcess* p = startAsPlugin();
    EXPECT_EQ(finished(p, 20000), 0);
    EXPECT_EQ(plugin.params()->status, IPC_STATUS_FAILED) << log(p).toStdString();
    EXPECT_NE(std::strstr(plugin.params()->message, "already running"), nullptr) << plugin.params()->message;
    EXPECT_EQ(meanDifference(plugin.readBack(), before), 0.0);
    EXPECT_EQ(standalone->state(), QProcess::Running);
}
