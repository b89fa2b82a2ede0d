#pragma once

#include "filterlib_global.h"

#include <TSFbo.h>

#include <QRect>

#include <memory>

class GLProg;

namespace velmora::image_processing::algorithms::opengl {

// Edge-preserving smoothing on the GPU with a bilateral grid: the image is
// gathered into a coarse grid over (x, y, intensity), the grid is blurred,
// and each pixel reads its smoothed colour back from the grid at its own
// position and intensity. Its cost does not grow with the spatial extent:
// each pixel is read once per intensity bin however large the cells are.
class FILTERLIB_EXPORT FastBilateralFilter {
public:
    enum Mode {
        // Smooths the colour; the range weight compares the guide's luma.
        ColourByLuma = 1,
    };

    FastBilateralFilter();
    ~FastBilateralFilter();
    FastBilateralFilter(const FastBilateralFilter&) = delete;
    FastBilateralFilter& operator=(const FastBilateralFilter&) = delete;

    // spatial: the grid cell side in pixels (at least 1); range: the
    // intensity step of the grid (0..1 units, at least 0.02).
    void setup(const TSFbo& src, const TSFbo& guide, int spatial, float range, int mode);
    // Writes the smoothed src into dst (of src's size), or only into the
    // region of dst when one is given. Needs a current OpenGL 3.3 core
    // context.
    void proc(const TSFbo& src, const TSFbo& guide, TSFbo& dst, const QRect& region = QRect());

private:
    static constexpr int kBinsPerPass = 8;
    static constexpr int kBands = 8;
    void splat(const TSFbo& src, const TSFbo& reference, TSFbo& grid, int cellsX, int cellsY, int bins);

    int m_spatial = 16;
    float m_range = 0.15f;
    std::unique_ptr<GLProg> m_splat;
    std::unique_ptr<GLProg> m_collect;
    std::unique_ptr<GLProg> m_blur;
    std::unique_ptr<GLProg> m_slice;
};

} // namespace velmora::image_processing::algorithms::opengl
