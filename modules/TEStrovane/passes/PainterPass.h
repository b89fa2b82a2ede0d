#pragma once

#include <RenderPass.h>

#include <opencv2/core.hpp>

#include <array>
#include <memory>
#include <vector>

class TSFbo;

// The per-stroke record of a stroke table and of the stroke texture.
struct StrokeInstance {
    float u;      // centre in the line image's texture coordinates, beyond
    float v;      // 0..1 for strokes placed off the edge of a thin or tiny image
    float size;   // radius / sqrt(area placed on) x 256 x (its longest side / the image's)
    float radius; // in line-image pixels
};

// Who watches the painting appear between draw batches, and may want it
// stopped.
class PreviewTarget {
public:
    virtual ~PreviewTarget() = default;
    virtual void showPreview(const TSFbo& image) = 0;
    // True stops the painting after the batch being drawn.
    virtual bool superseded() const { return false; }
};

// Draws the brush strokes: one instanced quad per stroke, read from a
// stroke texture, oriented by the flow field, shaped and lit by a brush
// frame, coloured from the adjusted image; in batches, with previews.
class PainterPass : public RenderPass {
public:
    static constexpr int kLevels = 3;
    static constexpr int kTextureSide = 1024;
    static constexpr int kWaitsPerPainting = 12;
    static constexpr int kShowEveryMs = 200;
    static constexpr int kMaxStrokes = kTextureSide * kTextureSide;
    // The shape strokes are placed on: no side shorter than kMinSide pixels
    // or than the longest over kMaxAspect.
    static constexpr int kMinSide = 64;
    static constexpr double kMaxAspect = 8.0;

    PainterPass();
    ~PainterPass() override;

    bool initialize() override;
    bool initGeometry(const QSize& size) override;
    bool render(const QSize& size, TSFbo& target) override;

    // Builds the level's table from the line image (RGBA8) unless it is
    // built, then makes it the current one. Levels outside 0..2 are clamped.
    bool prepareStrokes(const cv::Mat& lineImage, int densityLevel);
    void resetStrokes();
    void uploadStrokeTable(const std::vector<StrokeInstance>& table);

    void setPreviewTarget(PreviewTarget* target) { m_previewTarget = target; }
    void setStrokesPerBatch(int n) { m_strokesPerBatch = std::max(n, 1); }
    // Strokes whose squared size exceeds keepArea are drawn by chance, in
    // keepArea / size² of the cases (0: all strokes).
    void setKeepArea(float keepArea) { m_keepArea = std::max(keepArea, 0.0f); }
    // The squared sizes of the strokes uploaded last, largest first: all
    // of them, and those centred on the picture (a thin or tiny picture's
    // strokes are mostly placed off its edges, where little of them shows).
    const std::vector<float>& squaredSizes() const { return m_squares; }
    const std::vector<float>& squaredSizesOnPicture() const { return m_squaresOnPicture; }
    int strokesPerBatch() const { return m_strokesPerBatch; }
    int strokeCount() const { return m_strokeCount; }
    // The last render stopped before its last stroke (the target said so).
    bool abandoned() const { return m_abandoned; }
    GLuint strokeTexture() const { return m_strokeTexture; }
    const std::vector<StrokeInstance>& table(int level) const { return m_tables[size_t(level)]; }

    // Ink one stroke should cover at each density level.
    static int inkTarget(int densityLevel);
    // The table of a line image (CV_8UC4 read-back), sorted largest first.
    static std::vector<StrokeInstance> buildTable(const cv::Mat& lineImage, int densityLevel);

private:
    std::array<std::vector<StrokeInstance>, kLevels> m_tables;
    std::array<bool, kLevels> m_built{{false, false, false}};
    int m_uploadedLevel = -1;
    int m_strokeCount = 0;
    std::vector<float> m_squares; // of the uploaded table, largest first
    std::vector<float> m_squaresOnPicture;
    int m_strokesPerBatch = 512;
    float m_keepArea = 0;
    bool m_abandoned = false;
    GLuint m_strokeTexture = 0;
    std::unique_ptr<float[]> m_staging;
    PreviewTarget* m_previewTarget = nullptr;
};
