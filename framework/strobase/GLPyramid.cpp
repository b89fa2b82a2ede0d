#include "GLPyramid.h"

#include "GLProg.h"

#include <QOpenGLContext>

#include <algorithm>
#include <memory>

namespace {

std::unique_ptr<GLProg> program(const char* fragment)
{
    return std::make_unique<GLProg>(QStringLiteral(":/strobase/glshaders/default.vert"),
                                    QStringLiteral(":/strobase/glshaders/") + QLatin1String(fragment));
}

// The pyramid programs, built once per context that uses them.
struct Programs {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    std::unique_ptr<GLProg> down = program("pyrdown.frag");
    std::unique_ptr<GLProg> detail = program("pyrdetail.frag");
    std::unique_ptr<GLProg> collapse = program("pyrcollapse.frag");
};

Programs& programs()
{
    thread_local std::unique_ptr<Programs> p;
    if (p && p->context != QOpenGLContext::currentContext()) {
        // Another context: the old programs' GL objects are not ours to
        // delete from here (they went, or go, with their own context).
        p.release();
    }
    if (!p)
        p = std::make_unique<Programs>();
    return *p;
}

void draw(GLProg& prog, TSFbo& target)
{
    target.bind();
    prog.drawQuad(target.width(), target.height());
    target.release();
}

std::vector<TSFbo> allocate(const QSize& size, GLenum format, int levelParam)
{
    std::vector<TSFbo> levels;
    const int n = GLPyramid::levelCount(size, levelParam);
    for (int i = 0; i < n; ++i)
        levels.emplace_back(GLPyramid::levelSize(size, i), format);
    return levels;
}

void reduce(std::vector<TSFbo>& levels, const TSFbo& image)
{
    if (levels.empty())
        return;
    TSFbo::blitFramebuffer(levels[0], image, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    GLProg& down = *programs().down;
    for (size_t i = 1; i < levels.size(); ++i) {
        down.setTexture("source", levels[i - 1].texture(), 0);
        draw(down, levels[i]);
    }
}

} // namespace

namespace GLPyramid {

int levelCount(const QSize& size, int levelParam)
{
    if (size.isEmpty())
        return 0;
    int n = 1;
    for (QSize s = size; std::min(s.width(), s.height()) > levelParam; ++n)
        s = QSize((s.width() + 1) / 2, (s.height() + 1) / 2);
    return n;
}

QSize levelSize(const QSize& size, int level)
{
    QSize s = size;
    for (int i = 0; i < level; ++i)
        s = QSize((s.width() + 1) / 2, (s.height() + 1) / 2);
    return s;
}

} // namespace GLPyramid

GLPyrGaussian::GLPyrGaussian(const QSize& size, GLenum internalFormat, int levelParam)
    : m_levels(allocate(size, internalFormat, levelParam))
{
}

GLPyrGaussian::~GLPyrGaussian() = default;

void GLPyrGaussian::create(const TSFbo& image)
{
    reduce(m_levels, image);
}

GLPyrLaplacian::GLPyrLaplacian(const QSize& size, GLenum internalFormat, int levelParam)
    : m_size(size)
    , m_format(internalFormat)
    , m_levelParam(levelParam)
    , m_levels(allocate(size, internalFormat, levelParam))
{
}

GLPyrLaplacian::~GLPyrLaplacian() = default;

void GLPyrLaplacian::create(const TSFbo& image)
{
    std::vector<TSFbo> gaussian = allocate(m_size, m_format, m_levelParam);
    reduce(gaussian, image);
    if (m_levels.empty())
        return;
    GLProg& detail = *programs().detail;
    for (size_t i = 0; i + 1 < m_levels.size(); ++i) {
        detail.setTexture("fine", gaussian[i].texture(), 0);
        detail.setTexture("coarse", gaussian[i + 1].texture(), 1);
        draw(detail, m_levels[i]);
    }
    TSFbo::blitFramebuffer(m_levels.back(), gaussian.back(), GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

void GLPyrLaplacian::reconstruct(TSFbo& output)
{
    if (m_levels.empty() || output.isEmpty())
        return;
    GLProg& collapse = *programs().collapse;
    TSFbo coarse = m_levels.back();
    for (int i = levels() - 2; i >= 0; --i) {
        TSFbo finer = i == 0 ? output : TSFbo(m_levels[size_t(i)].size(), m_format);
        collapse.setTexture("detail", m_levels[size_t(i)].texture(), 0);
        collapse.setTexture("coarse", coarse.texture(), 1);
        draw(collapse, finer);
        coarse = finer;
    }
    if (levels() == 1)
        TSFbo::blitFramebuffer(output, m_levels[0], GL_COLOR_BUFFER_BIT, GL_NEAREST);
}
