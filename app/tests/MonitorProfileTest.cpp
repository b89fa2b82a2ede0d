// The monitor's colour profile as the program meets it: published on the X
// root window before the start and while it runs, with a new user's
// settings; what the screen shows, grabbed from the X server.
#include "DisplayProfiles.h"
#include "ProgramFixture.h"

#include <QFile>

#include <opencv2/imgproc.hpp>

namespace {

const QString kMainTitle = QStringLiteral("Velmora Strovane 2 V2.0.5");

// The whole X screen, BGR.
cv::Mat screen()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, 0, 0, s->width_in_pixels, s->height_in_pixels, ~0u),
        nullptr);
    cv::Mat bgr;
    if (reply && xcb_get_image_data_length(reply) == int(s->width_in_pixels) * s->height_in_pixels * 4) {
        const cv::Mat bgrx(s->height_in_pixels, s->width_in_pixels, CV_8UC4, xcb_get_image_data(reply));
        cv::cvtColor(bgrx, bgr, cv::COLOR_BGRA2BGR);
    }
    std::free(reply);
    xcb_disconnect(c);
    return bgr;
}

bool same(const cv::Mat& a, const cv::Mat& b)
{
    return !a.empty() && a.size() == b.size() && cv::norm(a, b, cv::NORM_INF) == 0;
}

// The screen once it has stopped changing (the preview painted, a
// dialog gone): the same for three looks in a row, and unlike `unlike`
// when one is given.
cv::Mat settledScreen(const cv::Mat& unlike = cv::Mat(), int timeoutMs = 90000)
{
    QElapsedTimer timer;
    timer.start();
    cv::Mat last = screen();
    int alike = 0;
    while (timer.elapsed() < timeoutMs) {
        QThread::msleep(700);
        const cv::Mat now = screen();
        alike = same(now, last) ? alike + 1 : 0;
        last = now;
        if (alike >= 2 && !same(now, unlike))
            return now;
    }
    return cv::Mat();
}

class MonitorProfile : public Program {
protected:
    // A user of their own: other copies of the program on this machine (for
    // other displays) do not count as this user's running copy.
    void SetUp() override
    {
        Program::SetUp();
        for (const char* folder : {"runtime", "tmp"}) {
            QDir(home.path()).mkdir(QLatin1String(folder));
            QFile::setPermissions(home.filePath(QLatin1String(folder)), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        environment.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        environment.insert("TMPDIR", home.filePath("tmp"));
    }
    void TearDown() override
    {
        DisplayProfiles::publish(QByteArray());
        Program::TearDown();
    }
};

} // namespace

TEST_F(MonitorProfile, ThePreviewFollowsTheMonitorsProfileFromTheStartAndWhileItRuns)
{
    const QByteArray swapped = DisplayProfiles::make(DisplayProfiles::Kind::SwappedPrimaries);
    DisplayProfiles::publish(swapped);
    QProcess* p = start({});
    const QString window = windowNamed(kMainTitle, 60000);
    ASSERT_FALSE(window.isEmpty()) << log(p).toStdString();
    // A new user meets the welcome screen over the painted example; Escape
    // closes it.
    const cv::Mat welcome = settledScreen();
    ASSERT_FALSE(welcome.empty());
    press(window, "Escape");
    const cv::Mat converted = settledScreen(welcome);
    ASSERT_FALSE(converted.empty()) << "the welcome screen goes";
    ASSERT_EQ(p->state(), QProcess::Running);

    DisplayProfiles::publish(QByteArray());
    const cv::Mat plain = settledScreen(converted);
    ASSERT_FALSE(plain.empty()) << "the profile gone, the view changes";

    // Only the preview changed: the bounding box of what changed is the
    // picture, a good part of the window; outside it nothing changed.
    cv::Mat difference;
    cv::absdiff(converted, plain, difference);
    std::vector<cv::Mat> channels;
    cv::split(difference, channels);
    const cv::Mat changed = cv::max(cv::max(channels[0], channels[1]), channels[2]) > 3;
    const cv::Rect picture = cv::boundingRect(changed);
    EXPECT_GT(picture.area(), 200 * 150) << "the preview is converted";
    cv::Mat outside = plain.clone(), outsideConverted = converted.clone();
    outside(picture).setTo(cv::Scalar::all(0));
    outsideConverted(picture).setTo(cv::Scalar::all(0));
    EXPECT_TRUE(same(outside, outsideConverted)) << "nothing else is converted";

    // Inside, every pixel is the plain one as the profile asks the monitor
    // to be sent it.
    const cv::Mat reference = DisplayProfiles::expected(plain(picture), swapped);
    cv::Mat got, error;
    converted(picture).convertTo(got, CV_32FC3);
    cv::absdiff(got, reference, error);
    double worst = 0;
    cv::minMaxLoc(error.reshape(1), nullptr, &worst);
    EXPECT_LE(worst, 2.0);

    // Published again while it runs: the same picture as from the start.
    DisplayProfiles::publish(swapped);
    EXPECT_TRUE(same(settledScreen(plain), converted));
    EXPECT_EQ(p->state(), QProcess::Running);
}
