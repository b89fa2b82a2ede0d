#include "GLTestContext.h"

#include <GLCache.h>
#include <TGL.h>

using GLObjects = GLTestContext;

TEST_F(GLObjects, FboRoundTripAndSharedHandles)
{
    cv::Mat rgba(3, 4, CV_32FC4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            rgba.at<cv::Vec4f>(y, x) = cv::Vec4f(x / 4.0f, y / 4.0f, 0.25f, 1.0f);
    TSFbo a = upload(rgba);
    EXPECT_EQ(a.size(), QSize(4, 3));
    const cv::Mat back = download(a);
    EXPECT_LT(cv::norm(back, rgba, cv::NORM_INF), 1e-3) << "row 0 of the texture is the top row";
    const cv::Mat bgr8 = a.dataToMat(CV_8UC3, true, true);
    EXPECT_EQ(bgr8.at<cv::Vec3b>(2, 3), cv::Vec3b(64, 128, 191));
    const cv::Mat flipped = a.dataToMat(CV_32FC4, false, false);
    EXPECT_LT(cv::norm(flipped.row(0), rgba.row(2), cv::NORM_INF), 1e-3);

    TSFbo b = a;
    b.setUid(42);
    b.setScale(0.5f);
    EXPECT_EQ(a.uid(), 42u) << "copies share one image";
    EXPECT_EQ(a.scale(), 0.5f);

    TSFbo big(QSize(8, 6), GL_RGBA8);
    TSFbo::blitFramebuffer(big, a, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    EXPECT_EQ(big.dataToMat(CV_8UC4).at<cv::Vec4b>(5, 7), cv::Vec4b(191, 128, 64, 255));
    EXPECT_TRUE(TSFbo().isEmpty());
    EXPECT_TRUE(TSFbo(QSize(0, 5), GL_RGBA8).isEmpty());
}

TEST_F(GLObjects, CacheKeepsOneEntryPerNameAndAnswersOnlyItsUid)
{
    TSFbo first(QSize(2, 2), GL_RGBA8), second(QSize(2, 2), GL_RGBA8);
    first.setUid(1);
    second.setUid(2);
    GLCache::set("stage", first, GLCache::FBOCache);
    EXPECT_EQ(GLCache::get("stage", 1).texture(), first.texture());
    EXPECT_TRUE(GLCache::get("stage", 2).isEmpty());
    GLCache::set("stage", second, GLCache::FBOCache);
    EXPECT_TRUE(GLCache::get("stage", 1).isEmpty()) << "a second result replaces the first";
    EXPECT_EQ(GLCache::get("stage", 2).texture(), second.texture());
    EXPECT_TRUE(GLCache::get("other", 2).isEmpty());
    GLCache::release("stage");
    EXPECT_TRUE(GLCache::get("stage", 2).isEmpty());
}

TEST_F(GLObjects, CacheEntryStaysWhileAnotherOwnerUsesIt)
{
    TSFbo image(QSize(2, 2), GL_RGBA8);
    image.setUid(7);
    const GLCache::Owner a = 1, b = 2;
    GLCache::set("shared", image, GLCache::FBOCache, a);
    ASSERT_FALSE(GLCache::get("shared", 7, b).isEmpty());
    GLCache::releaseOwner(a);
    EXPECT_FALSE(GLCache::get("shared", 7).isEmpty()) << "b still uses it";
    GLCache::releaseOwner(b);
    EXPECT_TRUE(GLCache::get("shared", 7).isEmpty()) << "the last owner is gone";

    GLCache::set("kept", image, GLCache::FBOCache, a);
    GLCache::set("kept", image, GLCache::FBOCache, b); // b replaces a's result
    GLCache::releaseOwner(a);
    EXPECT_FALSE(GLCache::get("kept", 7).isEmpty());
    GLCache::clear();
}
