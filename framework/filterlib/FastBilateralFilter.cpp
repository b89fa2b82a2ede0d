#include "FastBilateralFilter.h"

#include <GLProg.h>
#include <TGL.h>

#include <QPoint>

#include <algorithm>
#include <cmath>

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

void FastBilateralFilter::proc(const TSFbo& src, const TSFbo& guide, TSFbo& dst, const QRect& region)
{
    if (src.isEmpty() || dst.isEmpty())
        return;
    if (!m_splat) {
        m_splat = program("splat.frag");
        m_blur = program("blur.frag");
        m_slice = program("slice.frag");
    }
    const TSFbo& reference = guide.isEmpty() ? src : guide;
    const int cellsX = (src.width() + m_spatial - 1) / m_spatial + 2 * kPadding;
    const int cellsY = (src.height() + m_spatial - 1) / m_spatial + 2 * kPadding;
    const int bins = int(std::ceil(1.0f / m_range)) + 1;
    TSFbo grid(QSize(cellsX * bins, cellsY), GL_RGBA32F), scratch(grid.size(), GL_RGBA32F);

    grid.bind();
    bindTexture(*m_splat, "image", src.texture(), 0);
    bindTexture(*m_splat, "guide", reference.texture(), 1);
    m_splat->setUniform("guideIsImage", int(reference.texture() == src.texture()));
    m_splat->setUniform("spatial", m_spatial);
    m_splat->setUniform("cellsX", cellsX);
    m_splat->setUniform("padding", kPadding);
    m_splat->setUniform("range", m_range);
    m_splat->drawQuad(grid.width(), grid.height());

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
