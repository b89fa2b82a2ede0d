#pragma once

#include <TSFbo.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <opencv2/core.hpp>

#include <gtest/gtest.h>

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
