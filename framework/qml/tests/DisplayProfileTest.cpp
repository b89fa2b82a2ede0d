// The preview view under a display profile: the picture the window shows,
// grabbed from it, against LittleCMS's conversion of the same colours on the
// CPU; without a profile, exactly the picture.
#include "DisplayProfiles.h"
#include "TPreviewImage.h"

#include <ColorManagementSystem.h>
#include <TGL.h>
#include <TGLWorkerThread.h>
#include <TIcc.h>
#include <TPreviewHub.h>

#include <QElapsedTimer>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <random>

namespace {

constexpr int kSide = 64;

// Sample colours, one per pixel: greys, primaries, the darkest levels,
// and random colours (BGR, 8-bit).
cv::Mat samples()
{
    cv::Mat m(kSide, kSide, CV_8UC3);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> level(0, 255);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            m.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(level(rng)), uchar(level(rng)), uchar(level(rng)));
    for (int x = 0; x < kSide; ++x) {
        const uchar v = uchar(x * 255 / (kSide - 1));
        m.at<cv::Vec3b>(0, x) = cv::Vec3b(v, v, v);
        m.at<cv::Vec3b>(1, x) = cv::Vec3b(0, 0, v);
        m.at<cv::Vec3b>(2, x) = cv::Vec3b(0, v, 0);
        m.at<cv::Vec3b>(3, x) = cv::Vec3b(v, 0, 0);
        m.at<cv::Vec3b>(4, x) = cv::Vec3b(uchar(x % 8), uchar(x / 8), uchar(x % 5));
    }
    return m;
}

// Waits (showing the window's events) until the condition holds.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    return condition();
}

class PreviewDisplayProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayProfiles::publish(QByteArray());
        window.resize(kSide, kSide);
        view = new TPreviewImage(window.contentItem());
        view->setSize(QSizeF(kSide, kSide)); // 100 %: texel for pixel
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // As the program does with its main window.
        ColorManagementSystem::workspace().setDeviceColorProfile(&window);
        ASSERT_FALSE(ColorManagementSystem::workspace().hasDeviceProfile());

        picture = samples();
        TSFbo image;
        TGLWorkerThread::instance()->runBlocking([&] {
            image = TSFbo(QSize(kSide, kSide), GL_RGBA8);
            image.upload(picture);
            TGL::funcs()->glFinish();
        });
        TPreviewHub::instance()->publish(view->viewerUid(), image);
    }
    void TearDown() override
    {
        DisplayProfiles::publish(QByteArray());
        waitFor([] { return !ColorManagementSystem::workspace().hasDeviceProfile(); });
    }

    // What the window shows, BGR.
    cv::Mat shown()
    {
        const QImage grab = window.grabWindow().convertToFormat(QImage::Format_RGB888);
        cv::Mat rgb(grab.height(), grab.width(), CV_8UC3, const_cast<uchar*>(grab.constBits()), size_t(grab.bytesPerLine()));
        cv::Mat bgr;
        cv::cvtColor(rgb, bgr, cv::COLOR_RGB2BGR);
        return bgr;
    }

    QQuickWindow window;
    TPreviewImage* view = nullptr;
    cv::Mat picture;
};

} // namespace

TEST_F(PreviewDisplayProfile, ThePictureIsConvertedIntoThePublishedProfileAndBackWhenItGoes)
{
    const cv::Mat plain = shown();
    ASSERT_EQ(cv::norm(plain, picture, cv::NORM_INF), 0) << "without a profile: the picture itself";

    struct Case {
        const char* name;
        QByteArray profile;
    } cases[] = {
        {DisplayProfiles::name(DisplayProfiles::Kind::LinearGamma), DisplayProfiles::make(DisplayProfiles::Kind::LinearGamma)},
        {DisplayProfiles::name(DisplayProfiles::Kind::SwappedPrimaries),
         DisplayProfiles::make(DisplayProfiles::Kind::SwappedPrimaries)},
        {"Adobe RGB", TIcc::adobeRGB()},
    };
    for (const Case& c : cases) {
        // Published while the program runs, as a colour manager does.
        DisplayProfiles::publish(c.profile);
        ASSERT_TRUE(waitFor([&] { return ColorManagementSystem::workspace().deviceProfile() == c.profile; })) << c.name;
        const cv::Mat converted = shown(), reference = DisplayProfiles::expected(picture, c.profile);
        cv::Mat got, difference;
        converted.convertTo(got, CV_32FC3);
        cv::absdiff(got, reference, difference);
        double worst = 0;
        cv::minMaxLoc(difference.reshape(1), nullptr, &worst);
        const cv::Scalar mean = cv::mean(difference);
        // Half floats in the table, trilinear between 33^3 points (a little
        // more next to colours the display cannot show), 8-bit output.
        EXPECT_LE(worst, 2.0) << c.name;
        EXPECT_LT((mean[0] + mean[1] + mean[2]) / 3, 0.4) << c.name;
        EXPECT_GT(cv::norm(converted, plain, cv::NORM_L1) / double(plain.total() * 3), 5.0) << c.name << ": visibly another picture";
    }

    DisplayProfiles::publish(QByteArray());
    ASSERT_TRUE(waitFor([] { return !ColorManagementSystem::workspace().hasDeviceProfile(); }));
    EXPECT_EQ(cv::norm(shown(), plain, cv::NORM_INF), 0) << "the profile gone: the plain picture again";
}

TEST_F(PreviewDisplayProfile, APropertyThatIsNoRgbProfileIsTakenAsNone)
{
    const cv::Mat plain = shown();
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE gray = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(gray, nullptr, &size);
    QByteArray grayBytes(int(size), '\0');
    cmsSaveProfileToMem(gray, grayBytes.data(), &size);
    cmsCloseProfile(gray);
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"not a profile", QByteArray("acsp") + QByteArray(400, '\x7f')},
        {"a gray profile", grayBytes},
    };
    for (const Case& c : cases) {
        DisplayProfiles::publish(DisplayProfiles::make(DisplayProfiles::Kind::LinearGamma));
        ASSERT_TRUE(waitFor([] { return ColorManagementSystem::workspace().hasDeviceProfile(); })) << c.name;
        DisplayProfiles::publish(c.bytes);
        ASSERT_TRUE(waitFor([] { return !ColorManagementSystem::workspace().hasDeviceProfile(); })) << c.name;
        EXPECT_EQ(ColorManagementSystem::workspace().deviceProfile(), TIcc::sRGB()) << c.name;
        EXPECT_EQ(cv::norm(shown(), plain, cv::NORM_INF), 0) << c.name;
    }
}
