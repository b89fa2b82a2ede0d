#include "TStrovaneWorker.h"

#include "StageParams.h"
#include "StrovaneLog.h"
#include "stages/SizePolicy.h"

#include <GLCache.h>
#include <TGL.h>
#include <TUid.h>

#include <QDebug>
#include <QElapsedTimer>

#include <cmath>

Q_LOGGING_CATEGORY(lcStrovaneStats, "strovane.stats", QtWarningMsg)

StageTimer::StageTimer(const char* stage)
    : m_stage(stage)
{
    if (lcStrovaneStats().isDebugEnabled()) {
        TGL::funcs()->glFinish();
        m_timer.start();
    }
}

StageTimer::~StageTimer()
{
    if (!m_timer.isValid())
        return;
    TGL::funcs()->glFinish();
    qCDebug(lcStrovaneStats, "stage %s %.1f ms", m_stage, m_timer.nsecsElapsed() / 1e6);
}

namespace {

const QString kPreprocessingCache = QStringLiteral("TStrovaneWorker::Preprocessing");
// The flow field is made with the line image and lives under its identity.
const QString kFlowFieldCache = QStringLiteral("TStrovaneWorker::FlowField");
const QString kBasicAdjustmentCache = QStringLiteral("TStrovaneWorker::BasicAdjustment");
const QString kPaintingCache = QStringLiteral("TStrovaneWorker::Painting");

constexpr GLenum kInputFormat = GL_R11F_G11F_B10F;
constexpr GLenum kStageFormat = GL_RGBA8;
constexpr GLenum kFlowFormat = GL_RGBA16F;

// A background request keeps its stages apart: the entries of what the
// user watches stay for the user's next change.
QString cacheName(const QString& name, bool background)
{
    return background ? name + QStringLiteral(" (background)") : name;
}

// A stage made for part of the picture is another result than the whole.
quint32 withRegion(const QRect& region, quint32 uid)
{
    return region.isEmpty() ? uid : TUid::hash(region, uid);
}

void logCache(const char* name, bool hit)
{
    qCDebug(lcStrovaneStats, "cache %s %s", name, hit ? "hit" : "miss");
}

} // namespace

TStrovaneWorker::TStrovaneWorker(const QString& name, unsigned effectId, unsigned flags)
    : TEffectMaskWorker(name, effectId, flags)
{
    for (const QString& passName : StrovanePassFactory::passNames())
        m_passes[passName].reset(m_factory.create(passName));
    m_bilateral = std::make_unique<velmora::image_processing::algorithms::opengl::FastBilateralFilter>();
}

TStrovaneWorker::~TStrovaneWorker()
{
    m_bilateral.reset();
    // Entries another painting effect still uses stay.
    GLCache::releaseOwner(cacheOwner());
    m_passes.clear();
}

RenderPass* TStrovaneWorker::usePass(const char* name)
{
    const auto it = m_passes.find(QLatin1String(name));
    m_currentPass = it == m_passes.end() ? nullptr : it->second.get();
    return m_currentPass;
}

// The painter shows its progress only where the user watches it paint.
void TStrovaneWorker::showPreview(const TSFbo& image)
{
    if (m_lowResolution || !m_showPainting)
        return;
    // The copy for the view is whole.
    const TGL::Scissor whole{QRect()};
    drawPreview(image);
}

bool TStrovaneWorker::superseded() const
{
    return TEffectWorker::superseded();
}

// A preview's painting goes batch by batch, shown where it is watched and
// stopped when a newer preview waits; so does background work, which gives
// way to any other request. An output's is drawn in one go.
PainterPass* TStrovaneWorker::painterWithPreviewTarget()
{
    auto* painter = static_cast<PainterPass*>(usePass("Painter"));
    if (painter)
        painter->setPreviewTarget(procMode() == QLatin1String("PREVIEW") || request().background ? this : nullptr);
    return painter;
}

QVariantMap TStrovaneWorker::requestParams() const
{
    return stateData().value(QStringLiteral("params")).toMap();
}

void TStrovaneWorker::updateStageParams()
{
    const QVariantMap params = requestParams();
    m_values = StrovaneValues::from(params);
    StageParams stage = StageParams::from(params);
    m_stage = stage.values;
    m_strokeKeys = stage.strokeGenerationKeys;
    m_basicKeys = stage.basicAdjustmentKeys;
    m_paintingKeys = stage.paintingKeys;
    m_densityLevel = stage.densityLevel;
}

// A stage's result from the cache under its identity, or made by the stage
// and kept there.
template <typename Make>
TSFbo TStrovaneWorker::cachedStage(const QString& stageCache, const char* stage, quint32 uid, Make make)
{
    const QString cache = cacheName(stageCache, request().background);
    TSFbo result = GLCache::get(cache, uid, cacheOwner());
    logCache(stage, !result.isEmpty());
    if (result.isEmpty()) {
        StageTimer t(stage);
        result = make();
        // Stopped half way for a newer request: never kept.
        if (result.isEmpty())
            return result;
        result.setUid(uid);
        GLCache::set(cache, result, GLCache::FBOCache, cacheOwner());
    }
    return result;
}

QString TStrovaneWorker::proc(TSFbo& output)
{
    StageTimer total("request");
    m_regions = Regions();
    m_showPainting = stateData().value(QStringLiteral("showPainting")).toBool();
    m_lowResolution = stateData().value(QStringLiteral("lowResolutionMode")).toBool();

    TSFbo input = inputFbo(1, false, kInputFormat);
    if (input.isEmpty())
        return QString();
    if (!m_inputUid || *m_inputUid != input.uid()) {
        if (PainterPass* painter = painterWithPreviewTarget()) {
            painter->resetStrokes();
            qDebug() << "Input image changed - brushes reseted";
            qCDebug(lcStrovaneStats, "strokes reset");
        }
        m_inputUid = input.uid();
    }
    const TSFbo decimated = inputFbo(decimation(), false, kInputFormat);
    const SizePolicy sizes = SizePolicy::of(input.size(), decimated.size(), m_lowResolution);
    const QSize inputSize = input.size();
    if (m_backdropInput != input.uid()) {
        m_backdrop = decimated;
        m_backdropInput = input.uid();
    }

    TSFbo scaled(sizes.preprocessing, kInputFormat);
    TSFbo::blitFramebuffer(scaled, input, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    scaled.setScale(sizes.preprocessingScale);
    scaled.setUid(input.uid());
    input = TSFbo();

    TSFbo working = decimated;
    if (sizes.working != decimated.size()) {
        working = TSFbo(sizes.working, kInputFormat);
        TSFbo::blitFramebuffer(working, decimated, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    working.setUid(decimated.uid());
    qCDebug(lcStrovaneStats, "sizes preprocessing %dx%d working %dx%d", sizes.preprocessing.width(),
            sizes.preprocessing.height(), sizes.working.width(), sizes.working.height());
    qDebug() << "***********Input Size:********" << sizes.working << " decimation:" << decimation() << sizes.reduction
             << glMaxTextureSize() << glRAMSizeKB();
    if (working.isEmpty())
        return QString();

    updateStageParams();

    const quint32 preprocessingUid = TUid::hash(SizePolicy::kWorkingSide, scaled.uid());
    TSFbo preprocessed = preprocess(scaled, preprocessingUid);
    if (superseded())
        return QString();
    placeStrokes(preprocessed);
    preprocessed = TSFbo();
    scaled = TSFbo();
    if (superseded())
        return QString();
    m_regions = regionsFor(inputSize, sizes.working);
    if (!m_regions.finish.isEmpty())
        qCDebug(lcStrovaneStats, "region shown %dx%d painted %dx%d adjusted %dx%d", m_regions.finish.width(),
                m_regions.finish.height(), m_regions.paint.width(), m_regions.paint.height(), m_regions.adjust.width(),
                m_regions.adjust.height());

    const quint32 basicUid = TUid::hash(m_basicKeys, m_stage,
                                        withRegion(m_regions.adjust, TUid::hash(sizes.working, working.uid())));
    TSFbo adjusted = cachedStage(kBasicAdjustmentCache, "adjustment", basicUid, [&] {
        qDebug() << "basicAdjustOutput computation start" << sizes.working << glRAMSizeKB();
        TSFbo result(sizes.working, kStageFormat), scratch(sizes.working, kStageFormat);
        basicAdjust(working, scratch, result);
        const TGL::Scissor confined(m_regions.adjust);
        hslAdjust(result, scratch);
        vignette(scratch, result);
        qDebug() << "finish basic adjustment.";
        return result;
    });
    working = TSFbo();

    // A preview's paint may be thinned out (see painting()): previews and
    // results never share a painting.
    const quint32 paintMode = procMode() == QLatin1String("PREVIEW") ? 1 : 0;
    const quint32 paintingUid = TUid::hash(m_paintingKeys, m_stage,
                                           TUid::hash(TUid::hash(preprocessingUid, adjusted.uid()),
                                                      withRegion(m_regions.paint, TUid::hash(sizes.working, paintMode))));
    TSFbo painted = cachedStage(kPaintingCache, "painting", paintingUid, [&] {
        qDebug() << "painting start.";
        TSFbo result(sizes.working, kStageFormat);
        result.setScale(float(sizes.reduction / decimation()));
        if (!m_regions.paint.isEmpty())
            fillOutside(result);
        const TGL::Scissor confined(m_regions.paint);
        background(adjusted, result);
        if (!painting(adjusted, result))
            return TSFbo();
        qDebug() << "painting finish.";
        return result;
    });
    adjusted = TSFbo();
    if (painted.isEmpty())
        return QString(); // a newer preview waits

    output = finish(painted, decimated.size(), sizes.reduction);
    output.setScale(1.0f / float(decimation()));
    if (procMode() == QLatin1String("PREVIEW") && !request().background && m_regions.finish.isEmpty())
        m_backdrop = output;
    qDebug() << "All done";
    return QString();
}

// A preview of what the view shows where the picture is larger than the
// view: the shown part with the margins each stage needs, unless that is
// most of the picture anyway.
TStrovaneWorker::Regions TStrovaneWorker::regionsFor(const QSize& inputSize, const QSize& working)
{
    const QRect asked = region();
    if (asked.isEmpty() || procMode() != QLatin1String("PREVIEW") || request().background || inputSize.isEmpty())
        return {};
    const QRect bounds(QPoint(0, 0), working);
    const double sx = double(working.width()) / inputSize.width(), sy = double(working.height()) / inputSize.height();
    const QRect shown = QRectF(asked.x() * sx, asked.y() * sy, asked.width() * sx, asked.height() * sy).toAlignedRect()
        & bounds;
    auto area = [](const QRect& r) { return double(r.width()) * r.height(); };
    auto grown = [&](const QRect& r, int margin) { return r.adjusted(-margin, -margin, margin, margin) & bounds; };
    Regions r;
    // The canvas relief reads the next pixel.
    r.finish = grown(shown, 2);
    int smear = 0;
    if (m_values.stroke_smudgesize > 0.0f && !m_flowField.isEmpty()) {
        const double perFlowPixel = double(std::max(working.width(), working.height()))
            / std::max(m_flowField.width(), m_flowField.height());
        smear = int(std::ceil((2.0 * smudgeSigma(m_values.stroke_smudgesize) + 2.0) * perFlowPixel)) + 1;
    }
    r.paint = grown(r.finish, smear);
    r.adjust = grown(r.paint, strokeReach(working));
    if (shown.isEmpty() || area(r.paint) > 0.6 * area(bounds))
        return {};
    return r;
}

void TStrovaneWorker::fillOutside(TSFbo& target) const
{
    const TGL::Scissor whole{QRect()};
    TSFbo::blitFramebuffer(target, m_backdrop, GL_COLOR_BUFFER_BIT, GL_LINEAR);
}

// The line image (cached with the flow field under one identity).
TSFbo TStrovaneWorker::preprocess(const TSFbo& scaled, quint32 uid)
{
    const QString preprocessingCache = cacheName(kPreprocessingCache, request().background);
    const QString flowFieldCache = cacheName(kFlowFieldCache, request().background);
    TSFbo preprocessed = GLCache::get(preprocessingCache, uid, cacheOwner());
    m_flowField = GLCache::get(flowFieldCache, uid, cacheOwner());
    const bool hit = !preprocessed.isEmpty() && !m_flowField.isEmpty();
    logCache("preprocessing", hit);
    if (hit)
        return preprocessed;
    StageTimer t("preprocessing");
    qDebug() << "preprocResult computation is triggered" << scaled.size();
    preprocessed = TSFbo(scaled.size(), kStageFormat);
    m_flowField = TSFbo(scaled.size(), kFlowFormat);
    preprocessing(scaled, m_flowField, preprocessed);
    preprocessed.setUid(uid);
    preprocessed.setScale(scaled.scale());
    m_flowField.setUid(uid);
    qDebug() << "---preprocessingUid set uids:" << uid;
    GLCache::set(preprocessingCache, preprocessed, GLCache::FBOCache, cacheOwner());
    GLCache::set(flowFieldCache, m_flowField, GLCache::FBOCache, cacheOwner());
    return preprocessed;
}

// The stroke table of the line image and the density level, unless the
// painter has it.
void TStrovaneWorker::placeStrokes(const TSFbo& preprocessed)
{
    const quint32 strokeUid = TUid::hash(m_strokeKeys, m_stage, TUid::hash(float(preprocessed.uid())));
    if (strokeUid != m_strokeUid) {
        if (PainterPass* painter = painterWithPreviewTarget()) {
            StageTimer t("placement");
            blockingProcProgress(20, tr("preprocessing"));
            qDebug() << "load brush";
            painter->prepareStrokes(preprocessed.dataToMat(CV_8UC4, true, false), m_densityLevel);
            blockingProcProgress(100, tr("preprocessing"));
        }
    }
    m_strokeUid = strokeUid;
}

// Smudge and canvas, then back to the request's size where the painting
// was made more than 1 % smaller.
TSFbo TStrovaneWorker::finish(TSFbo& painted, const QSize& requestSize, double reduction)
{
    const QSize size = painted.size();
    // Without a smudge the painting goes on as it is: at 24 megapixels a
    // copy is 100 MB more at the peak.
    TSFbo smudged = painted;
    {
        StageTimer t("smudge");
        if (m_values.stroke_smudgesize > 0.0f) {
            qDebug() << "smudge proc start.";
            smudged = TSFbo(size, kStageFormat);
            const TGL::Scissor confined(m_regions.finish);
            smudge(m_flowField, painted, smudged);
            qDebug() << "smudge proc end.";
        }
        painted = TSFbo();
    }
    TSFbo finished(size, kInputFormat);
    if (!m_regions.finish.isEmpty())
        fillOutside(finished);
    const TGL::Scissor confined(m_regions.finish);
    StageTimer t("post-processing");
    qDebug() << "post proc start.";
    postProcessing(smudged, finished);
    if (reduction < 0.99) {
        const TGL::Scissor whole{QRect()};
        TSFbo output(requestSize, kInputFormat);
        TSFbo::blitFramebuffer(output, finished, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        finished = output;
    }
    qDebug() << "post proc end.";
    return finished;
}
