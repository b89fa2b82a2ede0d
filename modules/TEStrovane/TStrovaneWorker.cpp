#include "TStrovaneWorker.h"

#include "StageParams.h"
#include "StrovaneLog.h"

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

int longestSide(const QSize& s)
{
    return std::max(s.width(), s.height());
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

void TStrovaneWorker::showPreview(const TSFbo& image)
{
    drawPreview(image);
}

// The painter shows its progress only where the user watches it paint.
PainterPass* TStrovaneWorker::painterWithPreviewTarget()
{
    auto* painter = static_cast<PainterPass*>(usePass("Painter"));
    if (painter) {
        const bool watched = !m_lowResolution && m_showPainting && procMode() == QLatin1String("PREVIEW");
        painter->setPreviewTarget(watched ? this : nullptr);
    }
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
        }
        m_inputUid = input.uid();
    }

    m_preprocessingFactor = 1.0f;
    m_workingSizeLimit = 2048.0;
    if (longestSide(input.size()) > 2048)
        m_preprocessingFactor = float(2048.0 / longestSide(input.size()));

    TSFbo scaled(QSize(int(input.width() * m_preprocessingFactor), int(input.height() * m_preprocessingFactor)),
                 kInputFormat);
    TSFbo::blitFramebuffer(scaled, input, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    scaled.setScale(float(longestSide(scaled.size())) * (1.0f / 2048.0f));
    scaled.setUid(input.uid());
    input = TSFbo();

    const TSFbo decimated = inputFbo(decimation(), false, kInputFormat);
    const QSize requestSize = decimated.size();
    TSFbo working = decimated;
    double reduction = 1.0;
    if (m_lowResolution && longestSide(decimated.size()) > 2048) {
        reduction = 2048.0 / longestSide(decimated.size());
        working = TSFbo(QSize(int(std::lround(decimated.width() * reduction)),
                              int(std::lround(decimated.height() * reduction))),
                        kInputFormat);
        TSFbo::blitFramebuffer(working, decimated, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    working.setUid(decimated.uid());
    const QSize workingSize = working.size();
    qDebug() << "***********Input Size:********" << workingSize << " decimation:" << decimation() << reduction
             << glMaxTextureSize() << glRAMSizeKB();
    if (working.isEmpty())
        return QString();

    if (scaled.size() != m_preprocessingSize)
        m_preprocessingSize = scaled.size();

    updateStageParams();

    const quint32 preprocessingUid = TUid::hash(int(m_workingSizeLimit), scaled.uid());
    TSFbo preprocessed = GLCache::get(kPreprocessingCache, preprocessingUid, cacheOwner());
    m_flowField = GLCache::get(kFlowFieldCache, preprocessingUid, cacheOwner());
    const bool preprocessingHit = !preprocessed.isEmpty() && !m_flowField.isEmpty();
    logCache("preprocessing", preprocessingHit);
    if (!preprocessingHit) {
        StageTimer t("preprocessing");
        qDebug() << "preprocResult computation is triggered" << m_preprocessingSize;
        preprocessed = TSFbo(m_preprocessingSize, kStageFormat);
        m_flowField = TSFbo(m_preprocessingSize, kFlowFormat);
        preprocessing(scaled, m_flowField, preprocessed);
        preprocessed.setUid(preprocessingUid);
        preprocessed.setScale(scaled.scale());
        m_flowField.setUid(preprocessingUid);
        qDebug() << "---preprocessingUid set uids:" << preprocessingUid;
        GLCache::set(kPreprocessingCache, preprocessed, GLCache::FBOCache, cacheOwner());
        GLCache::set(kFlowFieldCache, m_flowField, GLCache::FBOCache, cacheOwner());
    }

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
    preprocessed = TSFbo();

    if (workingSize.width() < 1 || workingSize.height() < 1)
        return QString();
    scaled = TSFbo();

    const quint32 basicUid = TUid::hash(m_basicKeys, m_stage, TUid::hash(workingSize, working.uid()));
    TSFbo adjusted = GLCache::get(kBasicAdjustmentCache, basicUid, cacheOwner());
    logCache("adjustment", !adjusted.isEmpty());
    if (adjusted.isEmpty()) {
        StageTimer t("adjustment");
        qDebug() << "basicAdjustOutput computation start" << workingSize << glRAMSizeKB();
        adjusted = TSFbo(workingSize, kStageFormat);
        TSFbo scratch(workingSize, kStageFormat);
        basicAdjust(working, scratch, adjusted);
        hslAdjust(adjusted, scratch);
        vignette(scratch, adjusted);
        adjusted.setUid(basicUid);
        qDebug() << "finish basic adjustment.";
        GLCache::set(kBasicAdjustmentCache, adjusted, GLCache::FBOCache, cacheOwner());
    }

    const quint32 paintingUid = TUid::hash(m_paintingKeys, m_stage,
                                           TUid::hash(TUid::hash(preprocessingUid, adjusted.uid()),
                                                      TUid::hash(workingSize, 0)));
    TSFbo painted = GLCache::get(kPaintingCache, paintingUid, cacheOwner());
    logCache("painting", !painted.isEmpty());
    if (painted.isEmpty()) {
        StageTimer t("painting");
        qDebug() << "painting start.";
        painted = TSFbo(workingSize, kStageFormat);
        painted.setScale(float(reduction / decimation()));
        background(adjusted, painted);
        painting(adjusted, painted);
        painted.setUid(paintingUid);
        GLCache::set(kPaintingCache, painted, GLCache::FBOCache, cacheOwner());
        qDebug() << "painting finish.";
    }
    adjusted = TSFbo();

    TSFbo smudged;
    {
        StageTimer t("smudge");
        qDebug() << "smudge proc start.";
        smudged = TSFbo(workingSize, kStageFormat);
        smudge(m_flowField, painted, smudged);
        painted = TSFbo();
        qDebug() << "smudge proc end.";
    }

    TSFbo finished;
    {
        StageTimer t("post-processing");
        qDebug() << "post proc start.";
        finished = TSFbo(workingSize, kInputFormat);
        postProcessing(smudged, finished);
        if (reduction < 0.99) {
            output = TSFbo(requestSize, kInputFormat);
            TSFbo::blitFramebuffer(output, finished, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        } else {
            output = finished;
        }
        qDebug() << "post proc end.";
    }
    output.setScale(1.0f / float(decimation()));
    qDebug() << "All done";
    return QString();
}
