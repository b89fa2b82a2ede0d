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
    if (!m_lowResolution && m_showPainting)
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

    const quint32 basicUid = TUid::hash(m_basicKeys, m_stage, TUid::hash(sizes.working, working.uid()));
    TSFbo adjusted = cachedStage(kBasicAdjustmentCache, "adjustment", basicUid, [&] {
        qDebug() << "basicAdjustOutput computation start" << sizes.working << glRAMSizeKB();
        TSFbo result(sizes.working, kStageFormat), scratch(sizes.working, kStageFormat);
        basicAdjust(working, scratch, result);
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
                                                      TUid::hash(sizes.working, paintMode)));
    TSFbo painted = cachedStage(kPaintingCache, "painting", paintingUid, [&] {
        qDebug() << "painting start.";
        TSFbo result(sizes.working, kStageFormat);
        result.setScale(float(sizes.reduction / decimation()));
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
    qDebug() << "All done";
    return QString();
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
    TSFbo smudged;
    {
        StageTimer t("smudge");
        qDebug() << "smudge proc start.";
        smudged = TSFbo(size, kStageFormat);
        smudge(m_flowField, painted, smudged);
        painted = TSFbo();
        qDebug() << "smudge proc end.";
    }
    StageTimer t("post-processing");
    qDebug() << "post proc start.";
    TSFbo finished(size, kInputFormat);
    postProcessing(smudged, finished);
    if (reduction < 0.99) {
        TSFbo output(requestSize, kInputFormat);
        TSFbo::blitFramebuffer(output, finished, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        finished = output;
    }
    qDebug() << "post proc end.";
    return finished;
}
