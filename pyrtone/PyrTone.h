#pragma once

#include <TSFbo.h>

#include <QOpenGLFunctions_3_3_Core>
#include <QtGlobal>

#include <memory>

#if defined(PYRTONE_LIBRARY)
#define PYRTONE_EXPORT Q_DECL_EXPORT
#else
#define PYRTONE_EXPORT Q_DECL_IMPORT
#endif

class GLProg;

// A GPU local Laplacian filter (the fast scheme: evenly spaced reference
// intensities, one remapped image per reference, per pyramid level an
// interpolation between their detail by the local intensity). It boosts
// (gain > 0) or tames (gain < 0) the local detail of the first channel and
// applies brightness and contrast to its coarse base. Needs a current
// OpenGL 3.3 core context for construction and proc.
class PYRTONE_EXPORT PyrTone {
public:
    PyrTone();
    ~PyrTone();
    PyrTone(const PyrTone& other);
    // Copies the settings; each object keeps its own GL programs.
    PyrTone& operator=(const PyrTone& other);

    // A new image of the input's size and format; an empty input gives an
    // empty image.
    TSFbo proc(const TSFbo& input);

    float sigma = 0.1f;       // width of the detail range, intensity units (at least 0.025)
    float gain = 1.0f;        // detail gain at the finest level
    float coarseRatio = 1.0f; // gain at the coarsest detail level, as a share of gain
    float brightness = 0.0f;  // of the base
    float contrast = 1.0f;    // of the base
    float range = 2.0f;       // divided by sigma: the number of reference intensities
    int numSteps = 32;        // the references of the last proc

    // The gain of detail level `level` of `levels`, finest first.
    float factI(int level, int levels) const;
    // range / sigma, to a multiple of 4 between 8 and 64.
    static int stepsFor(float range, float sigma);

private:
    QOpenGLFunctions_3_3_Core* funcs() const { return m_funcs; }

    QOpenGLFunctions_3_3_Core* m_funcs = nullptr;
    std::unique_ptr<GLProg> m_remap;
    std::unique_ptr<GLProg> m_merge;
    std::unique_ptr<GLProg> m_base;
};
