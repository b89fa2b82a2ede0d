#pragma once

#include "StrovanePassFactory.h"
#include "StrovaneValues.h"
#include "passes/PainterPass.h"

#include <ESTexture.h>
#include <GLCache.h>
#include <FastBilateralFilter.h>
#include <TEffectWorker.h>

#include <QRect>
#include <QSize>
#include <QVector4D>
#include <QVector>

#include <map>
#include <memory>
#include <optional>

// The GPU worker of the painting effect: turns the request's photograph into
// the painting through a fixed chain of stages, keeping the three expensive
// intermediate results (preprocessing, adjustment, painting) in the named
// cache.
class TStrovaneWorker : public TEffectMaskWorker, public PreviewTarget {
public:
    TStrovaneWorker(const QString& name, unsigned effectId, unsigned flags);
    ~TStrovaneWorker() override;

    QString proc(TSFbo& output) override;
    void showPreview(const TSFbo& image) override;
    bool superseded() const override;

    struct BrushSet {
        QString path;
        int frameCount = 0;
        QVector<QVector4D> frames; // x/W, y/H, w/W, h/H
        QVector<int> upright;      // 1: stored upright, 0: stored rotated
        ESTexture atlas;
    };
    const BrushSet& brushSet() const { return m_brushSet; }
    // Reads an atlas description into the frame table (no texture).
    static BrushSet readBrushAtlas(const QString& path);
    // Why a brush set cannot paint (no frames, a frame outside its atlas, no
    // atlas image); empty when it can.
    static QString brushSetProblem(const BrushSet& set);
    // The LIC's standard deviation, in preprocessing pixels, for a smudge
    // size in 0..1 (sizes of 0 or less copy the painting instead).
    static float smudgeSigma(float smudgeSize) { return 1.0f + float(int(9.0f * smudgeSize)); }

    // The stages. proc runs them in order for a request; each also runs on
    // its own, with the parameters, flow field and stroke table given here,
    // in the GL context the worker was made in.
    bool preprocessing(const TSFbo& scaledInput, TSFbo& flowField, TSFbo& result);
    bool basicAdjust(const TSFbo& input, TSFbo& scratch, TSFbo& result);
    bool hslAdjust(const TSFbo& input, TSFbo& result);
    bool vignette(const TSFbo& input, TSFbo& result);
    bool background(const TSFbo& adjusted, TSFbo& painting);
    bool painting(const TSFbo& adjusted, TSFbo& painting);
    bool smudge(const TSFbo& flowField, const TSFbo& painting, TSFbo& result);
    bool postProcessing(const TSFbo& input, TSFbo& result);
    void setValues(const StrovaneValues& values) { m_values = values; }
    void setFlowField(const TSFbo& flowField) { m_flowField = flowField; }
    PainterPass* painter() { return static_cast<PainterPass*>(usePass("Painter")); }

private:
    // Where a preview of part of the picture is drawn, in working pixels;
    // empty rectangles draw everywhere. Each stage draws a margin around
    // what the next one reads: the smudge follows the flow beyond a pixel,
    // and a stroke takes its colour at its centre.
    struct Regions {
        QRect adjust, paint, finish;
    };

    void updateStageParams();
    template <typename Make>
    TSFbo cachedStage(const QString& cache, const char* stage, quint32 uid, Make make);
    TSFbo preprocess(const TSFbo& scaled, quint32 uid);
    void placeStrokes(const TSFbo& preprocessed);
    TSFbo finish(TSFbo& painted, const QSize& requestSize, double reduction);
    Regions regionsFor(const QSize& inputSize, const QSize& working);
    // Outside the regions a partial preview shows the last whole one.
    void fillOutside(TSFbo& target) const;
    void useBrushSet();
    // The farthest a stroke's quad reaches from its centre, in pixels.
    int strokeReach(const QSize& target);
    // The description and the atlas image of a brush set.
    static BrushSet loadBrushSet(const QString& path);

    // Looks a pass up by name and makes it the current one (null if absent).
    RenderPass* usePass(const char* name);
    GLCache::Owner cacheOwner() const { return GLCache::Owner(this); }
    PainterPass* painterWithPreviewTarget();
    QVariantMap requestParams() const;

    StrovanePassFactory m_factory;
    std::map<QString, std::unique_ptr<RenderPass>> m_passes;
    RenderPass* m_currentPass = nullptr;

    StrovaneValues m_values;
    QVariantMap m_stage; // under the stage keys, for the cache identities
    QStringList m_strokeKeys;
    QStringList m_basicKeys;
    QStringList m_paintingKeys;
    int m_densityLevel = 1;
    quint32 m_strokeUid = 0xFFFFFFFFu;
    std::optional<quint32> m_inputUid;
    TSFbo m_flowField;
    bool m_showPainting = false;
    bool m_lowResolution = false;
    BrushSet m_brushSet;
    int m_backgroundType = 0;
    QString m_canvasPath;
    ESTexture m_canvas;
    Regions m_regions;
    TSFbo m_backdrop;
    quint32 m_backdropInput = 0;
    std::unique_ptr<velmora::image_processing::algorithms::opengl::FastBilateralFilter> m_bilateral;
};
