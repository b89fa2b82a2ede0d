#include "FastBilateralFilter.h"

#include <GLProg.h>
#include <TGL.h>

#include <QPoint>

#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora::image_processing::algorithms::opengl {

namespace {
// Empty cells around the image, so that the blur has room at the edges.
constexpr int kPadding = 2;

std::unique_ptr<GLProg> program(const char* fragment)
{
    return std::make_unique<GLProg>(QStringLiteral(":/strobase/glshaders/default.vert"),
                                    QStringLiteral(":/filterlib/shaders/") + QLatin1String(fragment));
}

void bindTexture(GLProg& prog, const char* name, GLuint texture, int unit)
{
    // Exact texel reads; the slice's own filtering is linear.
    prog.setTexture(name, texture, unit);
}
} // namespace

FastBilateralFilter::FastBilateralFilter() = default;
FastBilateralFilter::~FastBilateralFilter() = default;

void FastBilateralFilter::setup(const TSFbo&, const TSFbo&, int spatial, float range, int)
{
    m_spatial = std::max(spatial, 1);
    m_range = std::max(range, 0.02f);
}

// Eight bins per pass, each pixel read once per pass. A CPU rasteriser
// shares out a draw by tiles of the target, and a grid of cells fits in one:
// each cell's rows are gathered in kBands bands side by side, and the bands
// of each bin are then added up into the bin's block of the grid.
void FastBilateralFilter::splat(const TSFbo& src, const TSFbo& reference, TSFbo& grid, int cellsX, int cellsY, int bins)
{
    QOpenGLFunctions_3_3_Core* f = TGL::funcs();
    std::vector<TSFbo> bands;
    for (int i = 0; i < kBinsPerPass; ++i)
        bands.emplace_back(QSize(cellsX * kBands, cellsY), GL_RGBA32F);
    GLuint framebuffer = 0;
    f->glGenFramebuffers(1, &framebuffer);
    f->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLenum buffers[kBinsPerPass];
    for (int i = 0; i < kBinsPerPass; ++i) {
        f->glFramebufferTexture2D(GL_FRAMEBUFFER, GLenum(GL_COLOR_ATTACHMENT0 + i), GL_TEXTURE_2D, bands[size_t(i)].texture(), 0);
        buffers[i] = GLenum(GL_COLOR_ATTACHMENT0 + i);
    }
    f->glDrawBuffers(kBinsPerPass, buffers);
    bindTexture(*m_splat, "image", src.texture(), 0);
    bindTexture(*m_splat, "guide", reference.texture(), 1);
    m_splat->setUniform("guideIsImage", int(reference.texture() == src.texture()));
    m_splat->setUniform("spatial", m_spatial);
    m_splat->setUniform("padding", kPadding);
    m_splat->setUniform("range", m_range);
    m_splat->setUniform("cellsX", cellsX);
    m_splat->setUniform("bandCount", kBands);
    m_collect->setUniform("cellsX", cellsX);
    m_collect->setUniform("bandCount", kBands);
    for (int first = 0; first < bins; first += kBinsPerPass) {
        f->glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        m_splat->setUniform("firstBin", first);
        m_splat->drawQuad(cellsX * kBands, cellsY);
        grid.bind();
        for (int i = 0; i < kBinsPerPass && first + i < bins; ++i) {
            const int blockX = (first + i) * cellsX;
            bindTexture(*m_collect, "partial", bands[size_t(i)].texture(), 0);
            m_collect->setUniform("blockX", blockX);
            f->glViewport(blockX, 0, cellsX, cellsY);
            m_collect->begin();
            m_collect->drawInstances(1);
            m_collect->end();
        }
    }
    f->glBindFramebuffer(GL_FRAMEBUFFER, 0);
    f->glDeleteFramebuffers(1, &framebuffer);
}

void FastBilateralFilter::proc(const TSFbo& src, const TSFbo& guide, TSFbo& dst, const QRect& region)
{
    if (src.isEmpty() || dst.isEmpty())
        return;
    if (!m_splat) {
        m_splat = program("splat.frag");
        m_collect = program("collect.frag");
        m_blur = program("blur.frag");
        m_slice = program("slice.frag");
    }
    const TSFbo& reference = guide.isEmpty() ? src : guide;
    const int cellsX = (src.width() + m_spatial - 1) / m_spatial + 2 * kPadding;
    const int cellsY = (src.height() + m_spatial - 1) / m_spatial + 2 * kPadding;
    const int bins = int(std::ceil(1.0f / m_range)) + 1;
    TSFbo grid(QSize(cellsX * bins, cellsY), GL_RGBA32F), scratch(grid.size(), GL_RGBA32F);

    splat(src, reference, grid, cellsX, cellsY, bins);

    // x, y, then range: grid -> scratch -> grid -> scratch.
    const int steps[3][2] = {{1, 0}, {0, 1}, {cellsX, 0}};
    TSFbo* from = &grid;
    TSFbo* to = &scratch;
    m_blur->setUniform("cellsX", cellsX);
    m_blur->setUniform("bins", bins);
    for (const auto& step : steps) {
        to->bind();
        bindTexture(*m_blur, "grid", from->texture(), 0);
        m_blur->setUniform("step", QPoint(step[0], step[1]));
        m_blur->drawQuad(to->width(), to->height());
        std::swap(from, to);
    }

    // The grid holds every pixel; only reading it back may be confined.
    const TGL::Scissor confined(region);
    dst.bind();
    bindTexture(*m_slice, "image", src.texture(), 0);
    bindTexture(*m_slice, "guide", reference.texture(), 1);
    bindTexture(*m_slice, "grid", from->texture(), 2);
    m_slice->setUniform("spatial", m_spatial);
    m_slice->setUniform("cellsX", cellsX);
    m_slice->setUniform("padding", kPadding);
    m_slice->setUniform("bins", bins);
    m_slice->setUniform("range", m_range);
    m_slice->drawQuad(dst.width(), dst.height());
    dst.release();
}

} // namespace velmora::image_processing::algorithms::opengl
