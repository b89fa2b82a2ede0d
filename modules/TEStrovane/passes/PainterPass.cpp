#include "PainterPass.h"

#include "FullScreenPass.h"
#include "StrokePlacement.h"
#include "../StrovaneLog.h"

#include <TSFbo.h>

#include <QColor>
#include <QDebug>
#include <QElapsedTimer>
#include <QThread>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <functional>
#include <cmath>

PainterPass::PainterPass() = default;

PainterPass::~PainterPass()
{
    if (m_f && m_strokeTexture)
        m_f->glDeleteTextures(1, &m_strokeTexture);
}

bool PainterPass::initialize()
{
    RenderPass::initialize();
    loadShader(FullScreenPass::shaderPath(QStringLiteral("painter"), ".vert"),
               FullScreenPass::shaderPath(QStringLiteral("painter"), ".frag"));
    return true;
}

// The corners come from the vertex index; the stroke texture is the geometry.
bool PainterPass::initGeometry(const QSize&)
{
    return true;
}

int PainterPass::inkTarget(int densityLevel)
{
    static const int targets[kLevels] = {1536, 512, 170};
    return targets[std::clamp(densityLevel, 0, kLevels - 1)];
}

std::vector<StrokeInstance> PainterPass::buildTable(const cv::Mat& lineImage, int densityLevel)
{
    cv::Mat grey;
    cv::cvtColor(lineImage, grey, cv::COLOR_RGB2GRAY);
    const int width = grey.cols, height = grey.rows;
    // Discs grow from their neighbours and only inside the image: a strip a
    // few discs thin, or a picture of a few pixels, leaves them no room, and
    // most of it stays bare. It is placed as the middle of itself mirrored
    // out to a shape that has room, as every pass samples beyond an image's
    // edge (mirrored repeat).
    const int minSide = std::max(kMinSide, int(std::ceil(std::max(width, height) / kMaxAspect)));
    const int padX = std::max(minSide - width, 0), padY = std::max(minSide - height, 0);
    cv::Mat field = grey;
    if (padX > 0 || padY > 0)
        cv::copyMakeBorder(grey, field, padY / 2, padY - padY / 2, padX / 2, padX - padX / 2, cv::BORDER_REFLECT);
    const std::vector<PlacedDisc> discs = placeStrokes(field, inkTarget(densityLevel));
    // The painter sizes strokes by the picture's longest side: the field's
    // strokes keep their size in pixels.
    const double sizeScale = 256.0 / std::sqrt(double(field.cols) * field.rows)
        * (double(std::max(field.cols, field.rows)) / std::max(width, height));
    std::vector<StrokeInstance> table;
    table.reserve(discs.size());
    // The field's coordinates run from 0 at its first pixel to 1 at its
    // last; the picture is the field's middle.
    const double toU = double(field.cols) / std::max(field.cols - 1, 1), toV = double(field.rows) / std::max(field.rows - 1, 1);
    for (const PlacedDisc& d : discs) {
        table.push_back({float((d.x * toU - padX / 2) / width), float((d.y * toV - padY / 2) / height),
                         float(d.r * sizeScale), d.r});
    }
    // Stable, so that strokes of equal size keep their placement order.
    std::stable_sort(table.begin(), table.end(),
                     [](const StrokeInstance& a, const StrokeInstance& b) { return a.size > b.size; });
    return table;
}

bool PainterPass::prepareStrokes(const cv::Mat& lineImage, int densityLevel)
{
    const int level = std::clamp(densityLevel, 0, kLevels - 1);
    bool built = false;
    if (m_built[size_t(level)]) {
        // As many as were uploaded (a table is cut to kMaxStrokes).
        m_strokeCount = int(std::min(m_tables[size_t(level)].size(), size_t(kMaxStrokes)));
    } else {
        qDebug() << "PainterPass: placing strokes for level" << level;
        QElapsedTimer timer;
        timer.start();
        m_tables[size_t(level)] = buildTable(lineImage, level);
        qCDebug(lcStrovaneStats, "placement level %d on %dx%d: %d strokes in %.1f ms", level, lineImage.cols,
                lineImage.rows, int(m_tables[size_t(level)].size()), timer.nsecsElapsed() / 1e6);
        m_strokeCount = int(m_tables[size_t(level)].size());
        m_built[size_t(level)] = true;
        built = true;
    }
    if (built || level != m_uploadedLevel) {
        uploadStrokeTable(m_tables[size_t(level)]);
        m_uploadedLevel = level;
    }
    return true;
}

void PainterPass::resetStrokes()
{
    m_built.fill(false);
}

void PainterPass::uploadStrokeTable(const std::vector<StrokeInstance>& table)
{
    if (!m_strokeTexture)
        m_f->glGenTextures(1, &m_strokeTexture);
    if (!m_staging)
        m_staging.reset(new float[size_t(kMaxStrokes) * 4]());
    const size_t n = std::min(table.size(), size_t(kMaxStrokes));
    if (table.size() > size_t(kMaxStrokes))
        qWarning() << "PainterPass: stroke table cut from" << table.size() << "to" << kMaxStrokes;
    std::copy_n(reinterpret_cast<const float*>(table.data()), n * 4, m_staging.get());
    m_strokeCount = int(n);
    m_squares.resize(n);
    m_squaresOnPicture.clear();
    for (size_t i = 0; i < n; ++i) {
        m_squares[i] = table[i].size * table[i].size;
        if (table[i].u >= 0 && table[i].u <= 1 && table[i].v >= 0 && table[i].v <= 1)
            m_squaresOnPicture.push_back(m_squares[i]);
    }
    std::sort(m_squares.begin(), m_squares.end(), std::greater<float>());
    std::sort(m_squaresOnPicture.begin(), m_squaresOnPicture.end(), std::greater<float>());
    m_f->glActiveTexture(GL_TEXTURE15);
    m_f->glBindTexture(GL_TEXTURE_2D, m_strokeTexture);
    m_f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    m_f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    m_f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    m_f->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    m_f->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16F, kTextureSide, kTextureSide, 0, GL_RGBA, GL_FLOAT, m_staging.get());
    m_f->glBindTexture(GL_TEXTURE_2D, 0);
    m_f->glActiveTexture(GL_TEXTURE0);
    m_f->glFinish();
}

bool PainterPass::render(const QSize& size, TSFbo& target)
{
    // Draws the table uploaded last.
    m_abandoned = false;
    if (!m_strokeTexture)
        return true;
    target.bind();
    m_f->glViewport(0, 0, size.width(), size.height());
    if (param(QStringLiteral("bg.type")).toInt() == 0) {
        const QColor c = param(QStringLiteral("bg.canvas.texture.color")).value<QColor>();
        m_f->glClearColor(float(c.redF()), float(c.greenF()), float(c.blueF()), float(c.alphaF()));
        m_f->glClearDepth(1.0);
        m_f->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    m_prog.begin();

    const GLboolean blendWasOn = m_f->glIsEnabled(GL_BLEND);
    GLint srcAlpha = GL_ONE, dstAlpha = GL_ZERO;
    m_f->glGetIntegerv(GL_BLEND_SRC_ALPHA, &srcAlpha);
    m_f->glGetIntegerv(GL_BLEND_DST_ALPHA, &dstAlpha);
    m_f->glEnable(GL_BLEND);
    m_f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const int n = m_strokesPerBatch;
    const int fullBatches = m_strokeCount / n;
    // A watched painting waits for the driver a dozen times, not at every
    // batch: each wait makes a CPU rasteriser go over the whole target.
    const int batchesPerWait = std::max(1, fullBatches / kWaitsPerPainting);
    // What is painted so far is shown once a painting has taken a while, and
    // then as often, unless at the pace so far the whole is due sooner than
    // a next showing would be: each showing costs the view a redraw, which
    // a quick painting is better off without. A stroke's work is about its
    // area (one over the preview's budget is drawn in keepArea / area of
    // the cases); the largest come first.
    auto work = [this](int from, int to) {
        double sum = 0;
        for (int i = from; i < to; ++i)
            sum += m_keepArea > 0 ? std::min(m_squares[size_t(i)], m_keepArea) : m_squares[size_t(i)];
        return sum;
    };
    const double allWork = work(0, m_strokeCount);
    double doneWork = 0;
    QElapsedTimer sinceShown, sinceStart;
    sinceShown.start();
    sinceStart.start();
    m_prog.setUniform("keepArea", m_keepArea);
    for (int batch = 0, remaining = m_strokeCount; remaining > 0; ++batch, remaining -= n) {
        m_prog.setUniform("batch", batch);
        m_prog.setUniform("brushnum_per_batch", n);
        m_prog.drawInstances(std::min(n, remaining));
        doneWork += work(batch * n, batch * n + std::min(n, remaining));
        // A watched painting shows as it goes and stops when it is stale;
        // unwatched, the driver may queue all batches.
        if (m_previewTarget && (batch + 1) % batchesPerWait == 0) {
            m_f->glFinish();
            if (remaining > n && m_previewTarget->superseded()) {
                m_abandoned = true;
                break;
            }
            const double dueInMs = doneWork > 0 ? double(sinceStart.elapsed()) * (allWork - doneWork) / doneWork : 1e9;
            if (remaining > n && sinceShown.elapsed() >= kShowEveryMs && dueInMs >= kShowEveryMs) {
                m_previewTarget->showPreview(target);
                target.bind();
                sinceShown.restart();
            }
            QThread::yieldCurrentThread();
        }
    }
    QThread::yieldCurrentThread();

    m_f->glBlendFunc(GLenum(srcAlpha), GLenum(dstAlpha));
    if (!blendWasOn)
        m_f->glDisable(GL_BLEND);
    m_f->glFlush();
    m_prog.end();
    target.release();
    return true;
}
