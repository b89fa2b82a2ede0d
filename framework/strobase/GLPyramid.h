#pragma once

#include "TSFbo.h"

#include <vector>

// Image pyramids on the GPU. The level parameter bounds the coarsest level:
// levels halve (rounding up) until the shorter side of a level is at most
// that many pixels, so a 2560 x 1600 image with parameter 16 has levels
// down to 20 x 13, eight in all. An image already that small has one level.
namespace GLPyramid {
STROBASE_EXPORT int levelCount(const QSize& size, int levelParam);
STROBASE_EXPORT QSize levelSize(const QSize& size, int level);
} // namespace GLPyramid

class GLProg;

// Level 0 is the image; each further level a 5 x 5 binomial reduction of
// the one before.
class STROBASE_EXPORT GLPyrGaussian {
public:
    GLPyrGaussian(const QSize& size, GLenum internalFormat, int levelParam);
    ~GLPyrGaussian();

    int levels() const { return int(m_levels.size()); }
    // Fills every level from an image of the pyramid's size.
    void create(const TSFbo& image);
    // A level, to draw into or to sample.
    TSFbo& level(int i) { return m_levels[size_t(i)]; }

private:
    std::vector<TSFbo> m_levels;
};

// The detail of each Gaussian level against the next (stored around 0.5:
// 0.5 is no detail), and the coarsest Gaussian level as the base.
class STROBASE_EXPORT GLPyrLaplacian {
public:
    GLPyrLaplacian(const QSize& size, GLenum internalFormat, int levelParam);
    ~GLPyrLaplacian();

    int levels() const { return int(m_levels.size()); }
    void create(const TSFbo& image);
    TSFbo& level(int i) { return m_levels[size_t(i)]; }
    // Rebuilds the image into output (of the pyramid's size).
    void reconstruct(TSFbo& output);

private:
    QSize m_size;
    GLenum m_format;
    int m_levelParam;
    std::vector<TSFbo> m_levels;
};
