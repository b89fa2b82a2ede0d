#pragma once

#include <TImageIO.h>

#include <QCoreApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <cstdio>

// What every GPU benchmark needs: a current OpenGL context and the photo
// to work on (the bundled example unless one is named).
class BenchContext {
public:
    explicit BenchContext(const char* tool)
        : m_tool(tool)
    {
        m_surface.create();
    }

    // False, with a line on stderr, when either cannot be had.
    bool start(const char* photoArgument)
    {
        if (!m_context.create() || !m_context.makeCurrent(&m_surface)) {
            std::fprintf(stderr, "%s: no OpenGL 3.3 core context\n", m_tool);
            return false;
        }
        const QString photo = photoArgument ? QString::fromLocal8Bit(photoArgument)
                                            : QCoreApplication::applicationDirPath()
                                                  + QStringLiteral("/Resources/images/example.jpg");
        QString error;
        if (!TImageIO::load(photo, &m_image, &error)) {
            std::fprintf(stderr, "%s: %s\n", m_tool, qPrintable(error));
            return false;
        }
        m_photo = photo;
        return true;
    }
    const TSMat& image() const { return m_image; }
    const QString& photo() const { return m_photo; }

private:
    const char* m_tool;
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    TSMat m_image;
    QString m_photo;
};
