#pragma once

#include <TSFbo.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <opencv2/core.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

// A current OpenGL 3.3 core context on the test thread, for tests that run
// passes and images directly.
class GLTestContext : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_surface.setFormat(QSurfaceFormat::defaultFormat());
        m_surface.create();
        m_context.setFormat(QSurfaceFormat::defaultFormat());
        m_context.setShareContext(QOpenGLContext::globalShareContext());
        ASSERT_TRUE(m_context.create());
        ASSERT_TRUE(m_context.makeCurrent(&m_surface));
    }
    void TearDown() override { m_context.doneCurrent(); }

    // An RGBA float image (rows top first) as a GPU image.
    static TSFbo upload(const cv::Mat& rgba, GLenum format = 0x881A /* GL_RGBA16F */)
    {
        TSFbo fbo(QSize(rgba.cols, rgba.rows), format);
        cv::Mat bgra;
        cv::Mat channels[4];
        cv::split(rgba, channels);
        std::swap(channels[0], channels[2]);
        cv::merge(channels, 4, bgra);
        fbo.upload(bgra);
        return fbo;
    }
    static cv::Mat download(const TSFbo& fbo) { return fbo.dataToMat(CV_32FC4, true, false); }

private:
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
};

// A random RGBA float image, opaque, values in [lo, hi).
inline cv::Mat randomImage(int width, int height, unsigned seed, float lo = 0.0f, float hi = 1.0f)
{
    cv::Mat m(height, width, CV_32FC4);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> u(lo, hi);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.at<cv::Vec4f>(y, x) = cv::Vec4f(u(rng), u(rng), u(rng), 1.0f);
    return m;
}

// The largest difference between two RGBA float images over the first
// `channels` channels.
inline float maxDifference(const cv::Mat& a, const cv::Mat& b, int channels = 4)
{
    float worst = 0;
    for (int y = 0; y < a.rows; ++y)
        for (int x = 0; x < a.cols; ++x)
            for (int c = 0; c < channels; ++c)
                worst = std::max(worst, std::fabs(a.at<cv::Vec4f>(y, x)[c] - b.at<cv::Vec4f>(y, x)[c]));
    return worst;
}
