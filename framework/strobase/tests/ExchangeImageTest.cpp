#include <ImageIOManager.h>
#include <TIcc.h>

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstring>
#include <vector>

namespace {

// Three planes of the exchange, set to 0xFF as the plug-in leaves them,
// with host samples (0..32767) written into the rows.
struct Planes {
    int width, height, rowBytes;
    std::vector<uchar> plane[3];
    Planes(int w, int h) : width(w), height(h), rowBytes(((2 * w) / 16 + 1) * 16)
    {
        for (auto& p : plane)
            p.assign(std::size_t(rowBytes) * h + 64, 0xFF);
    }
    ushort at(int p, int x, int y) const
    {
        ushort v;
        std::memcpy(&v, plane[p].data() + y * rowBytes + 2 * x, 2);
        return v;
    }
    void set(int p, int x, int y, ushort v) { std::memcpy(plane[p].data() + y * rowBytes + 2 * x, &v, 2); }
    void fill(int planes)
    {
        for (int p = 0; p < planes; ++p)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    set(p, x, y, ushort((x * 977 + y * 131 + p * 5003) % 32768));
    }
    bool load(cv::Mat& image, bool gray = false, const QByteArray& icc = QByteArray())
    {
        return ImageIOManager::loadFromPS(width, height, plane[0].data(), plane[1].data(), plane[2].data(), rowBytes, 2,
                                          gray, reinterpret_cast<const uchar*>(icc.constData()), icc.size(), image);
    }
    bool save(const cv::Mat& image, bool gray = false, const QByteArray& icc = QByteArray())
    {
        return ImageIOManager::saveToPS(width, height, plane[0].data(), plane[1].data(), plane[2].data(), rowBytes, 2,
                                        gray, reinterpret_cast<const uchar*>(icc.constData()), icc.size(), image);
    }
    bool spareBytesUntouched() const
    {
        for (const auto& p : plane)
            for (int y = 0; y < height; ++y)
                for (int b = 2 * width; b < rowBytes; ++b)
                    if (p[std::size_t(y) * rowBytes + b] != 0xFF)
                        return false;
        return true;
    }
};

QByteArray grayProfile()
{
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE p = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray bytes(int(size), '\0');
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    cmsFreeToneCurve(gamma);
    return bytes;
}

} // namespace

TEST(ExchangeImage, RgbPlanesBecomeBgrAndComeBackSampleForSample)
{
    Planes in(37, 5); // rows with 14 spare bytes
    in.fill(3);
    in.set(0, 1, 1, 32767);
    cv::Mat image;
    ASSERT_TRUE(in.load(image));
    ASSERT_EQ(image.type(), CV_16UC3);
    ASSERT_EQ(image.size(), cv::Size(37, 5));
    EXPECT_EQ(image.at<cv::Vec3w>(1, 1)[2], 65535) << "full host intensity is full intensity";
    EXPECT_EQ(image.at<cv::Vec3w>(2, 3)[0], ushort((in.at(2, 3, 2) * 65535u + 16383) / 32767)) << "plane 2 is blue";

    Planes out(37, 5);
    ASSERT_TRUE(out.save(image));
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(out.at(p, x, y), in.at(p, x, y)) << p << " " << x << " " << y;
    EXPECT_TRUE(out.spareBytesUntouched());

    cv::Mat bgra(5, 37, CV_8UC4, cv::Scalar(0, 128, 255, 255));
    ASSERT_TRUE(out.save(bgra));
    EXPECT_EQ(out.at(0, 0, 0), 32767);
    EXPECT_EQ(out.at(2, 0, 0), 0);
}

TEST(ExchangeImage, GrayTravelsInPlaneZeroOnly)
{
    Planes in(9, 4);
    in.fill(1);
    for (const QByteArray& icc : {QByteArray(), grayProfile()}) {
        cv::Mat image;
        ASSERT_TRUE(in.load(image, true, icc));
        ASSERT_EQ(image.type(), CV_16UC3);
        const cv::Vec3w px = image.at<cv::Vec3w>(2, 5);
        EXPECT_EQ(px[0], px[1]);
        EXPECT_EQ(px[1], px[2]);
        Planes out(9, 4);
        ASSERT_TRUE(out.save(image, true, icc));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x)
                EXPECT_NEAR(out.at(0, x, y), in.at(0, x, y), 40) << "with profile " << !icc.isEmpty();
        EXPECT_EQ(out.at(1, 3, 3), 0xFFFF) << "planes 1 and 2 are left as they were";
        EXPECT_EQ(out.at(2, 3, 3), 0xFFFF);
        EXPECT_TRUE(out.spareBytesUntouched());
    }
}

TEST(ExchangeImage, TheHostProfileIsTurnedIntoTheWorkingSpaceAndBack)
{
    Planes in(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // Warm colours, inside the smaller sRGB gamut.
            in.set(0, x, y, ushort(16000 + 1000 * x));
            in.set(1, x, y, ushort(12000 + 800 * y));
            in.set(2, x, y, 10000);
        }
    cv::Mat plain, converted;
    ASSERT_TRUE(in.load(plain));
    ASSERT_TRUE(in.load(converted, false, TIcc::adobeRGB()));
    EXPECT_GT(cv::norm(plain, converted, cv::NORM_INF), 500) << "Adobe RGB samples are not sRGB samples";
    Planes out(8, 8);
    ASSERT_TRUE(out.save(converted, false, TIcc::adobeRGB()));
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_NEAR(out.at(p, x, y), in.at(p, x, y), 80) << p << " " << x << " " << y;

    const QByteArray junk("not a profile at all");
    cv::Mat passedOver;
    ASSERT_TRUE(in.load(passedOver, false, junk)) << "an unreadable profile is passed over";
    EXPECT_EQ(cv::norm(plain, passedOver, cv::NORM_INF), 0);
}

TEST(ExchangeImage, LayoutsThatCannotHoldTheImageAreRefused)
{
    Planes p(10, 10);
    cv::Mat image(10, 10, CV_16UC3, cv::Scalar::all(0));
    QString error;
    EXPECT_FALSE(ImageIOManager::saveToPS(10, 10, p.plane[0].data(), p.plane[1].data(), p.plane[2].data(), p.rowBytes,
                                          1, false, nullptr, 0, image, &error));
    EXPECT_FALSE(ImageIOManager::saveToPS(10, 10, p.plane[0].data(), p.plane[1].data(), p.plane[2].data(), 18, 2,
                                          false, nullptr, 0, image, &error));
    EXPECT_FALSE(p.save(cv::Mat(9, 10, CV_16UC3)));
    EXPECT_FALSE(p.save(cv::Mat(10, 10, CV_16UC1)));
    EXPECT_TRUE(p.spareBytesUntouched());
    EXPECT_EQ(p.at(0, 0, 0), 0xFFFF) << "nothing written";
    cv::Mat loaded;
    EXPECT_FALSE(ImageIOManager::loadFromPS(0, 10, p.plane[0].data(), p.plane[1].data(), p.plane[2].data(), p.rowBytes,
                                            2, false, nullptr, 0, loaded, &error));
}
