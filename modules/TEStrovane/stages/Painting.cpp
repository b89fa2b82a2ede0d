#include "../TStrovaneWorker.h"
#include "PainterSettings.h"
#include "StageHelpers.h"
#include "../StrovaneParams.h"
#include "../StrovaneLog.h"

#include <Strobase.h>
#include <TSafeFile.h>

#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>

namespace {
// The painter's shaders hold this many brush frames.
constexpr int kMaxFrames = 100;
// The most times a preview's strokes may cover it, and the most fragments
// they may cost: a large preview (a part of the picture at 100 %) is
// covered fewer times, so that it answers about as fast as one in the
// window's size.
constexpr double kPreviewOverdraw = 150;
constexpr double kPreviewFragments = kPreviewOverdraw * 853 * 533;

// A broken resource is told about once per run, not at every repaint.
void warnOnce(const QString& path, const QString& message)
{
    static QSet<QString> told;
    if (told.contains(path))
        return;
    told.insert(path);
    qWarning().noquote() << message;
}

QString brushSetPath(const QString& guid)
{
    return Strobase::tgrcFolder() + QLatin1Char('/') + guid + QStringLiteral(".json");
}
} // namespace

// "Original" background: the adjusted photograph, opaque, under the
// strokes; "Solid": the painter clears the target to the canvas colour.
bool TStrovaneWorker::background(const TSFbo& adjusted, TSFbo& painting)
{
    m_backgroundType = m_values.bg_type ? 1 : 0;
    if (m_backgroundType == 0) {
        TSFbo::blitFramebuffer(painting, adjusted, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        return true;
    }
    RenderPass* pass = usePass("RenderTexture");
    bindImage(pass, "tex_img", adjusted, 0, GL_LINEAR, GL_REPEAT);
    setUniform(pass, "offset", QVector2D(0, 0));
    setUniform(pass, "scale", QVector2D(1, 1));
    drawInto(pass, painting);
    return true;
}

TStrovaneWorker::BrushSet TStrovaneWorker::readBrushAtlas(const QString& path)
{
    BrushSet set;
    set.path = path;
    QByteArray description;
    QString error;
    QJsonObject root;
    // A description of far more than the frames used is no brush set.
    if (TSafeFile::readSmall(path, 4 * 1024 * 1024, &description, &error))
        root = QJsonDocument::fromJson(description).object();
    const QJsonObject size = root.value(QStringLiteral("meta")).toObject().value(QStringLiteral("size")).toObject();
    const double W = size.value(QStringLiteral("w")).toDouble();
    const double H = size.value(QStringLiteral("h")).toDouble();
    const QJsonArray frames = root.value(QStringLiteral("frames")).toArray();
    for (const QJsonValue& entry : frames) {
        if (set.frames.size() == kMaxFrames) {
            qWarning() << "TStrovaneWorker::loadBrushAtlas:" << path << "has" << frames.size()
                       << "frames; only the first" << kMaxFrames << "are used";
            break;
        }
        const QJsonObject f = entry.toObject().value(QStringLiteral("frame")).toObject();
        set.upright.append(entry.toObject().value(QStringLiteral("rotated")).toBool() ? 0 : 1);
        set.frames.append(QVector4D(float(f.value(QStringLiteral("x")).toDouble() / W),
                                    float(f.value(QStringLiteral("y")).toDouble() / H),
                                    float(f.value(QStringLiteral("w")).toDouble() / W),
                                    float(f.value(QStringLiteral("h")).toDouble() / H)));
    }
    set.frameCount = set.frames.size();
    return set;
}

TStrovaneWorker::BrushSet TStrovaneWorker::loadBrushSet(const QString& path)
{
    BrushSet set = readBrushAtlas(path);
    const QFileInfo info(path);
    const QString imagePath = info.path() + QLatin1Char('/') + info.fileName().section(QLatin1Char('.'), 0, 0)
        + QStringLiteral("normal.png");
    set.atlas = mygl::file::load(imagePath, GL_REPEAT);
    return set;
}

QString TStrovaneWorker::brushSetProblem(const BrushSet& set)
{
    if (set.frameCount == 0)
        return QStringLiteral("its description has no frames");
    for (const QVector4D& f : set.frames) {
        const bool inside = std::isfinite(f.x()) && std::isfinite(f.y()) && std::isfinite(f.z()) && std::isfinite(f.w())
            && f.x() >= 0 && f.y() >= 0 && f.z() > 0 && f.w() > 0 && f.x() + f.z() <= 1.0001f && f.y() + f.w() <= 1.0001f;
        if (!inside)
            return QStringLiteral("a frame lies outside its atlas");
    }
    if (!set.atlas.textureId())
        return QStringLiteral("its atlas image cannot be read");
    return QString();
}

// The brush set of the parameters, loaded when another one is chosen; the
// default brushes stand in for a broken one.
void TStrovaneWorker::useBrushSet()
{
    const QString path = brushSetPath(m_values.stroke_type);
    if (path != m_brushSet.path) {
        m_brushSet = loadBrushSet(path);
        const QString problem = brushSetProblem(m_brushSet);
        if (!problem.isEmpty()) {
            // The default brushes stand in; without them the strokes are left out.
            const QString fallback = brushSetPath(strovaneParam(QStringLiteral("stroke_type"))->defaultValue.toString());
            BrushSet standIn = fallback == path ? BrushSet() : loadBrushSet(fallback);
            const bool usable = fallback != path && brushSetProblem(standIn).isEmpty();
            warnOnce(path, QStringLiteral("The brush set %1 cannot paint: %2. %3")
                               .arg(path, problem,
                                    usable ? QStringLiteral("The default brushes paint instead.")
                                           : QStringLiteral("The painting has no strokes.")));
            if (usable)
                m_brushSet = standIn;
            m_brushSet.path = path;
        }
    }
}

int TStrovaneWorker::strokeReach(const QSize& target)
{
    useBrushSet();
    PainterPass* painter = painterWithPreviewTarget();
    if (!painter || painter->squaredSizes().empty())
        return 0;
    double widest = 0;
    for (const QVector4D& f : m_brushSet.frames)
        widest = std::max(widest, f.w() > 0 ? double(f.z()) / f.w() : 0.0);
    const float largest = std::sqrt(painter->squaredSizes().front());
    return int(std::ceil(PainterSettings::from(m_values, target).reach(largest, widest, target))) + 1;
}

bool TStrovaneWorker::painting(const TSFbo& adjusted, TSFbo& target)
{
    useBrushSet();
    if (!brushSetProblem(m_brushSet).isEmpty())
        return true;

    const PainterSettings s = PainterSettings::from(m_values, target.size());
    PainterPass* painter = painterWithPreviewTarget();
    if (!painter)
        return true;
    painter->setStrokesPerBatch(s.strokesPerBatch);
    // Large strokes on a CPU rasteriser cost by the fragment, and a few
    // dozen layers of paint show what hundreds do: a preview's strokes
    // cover it at most kPreviewOverdraw times. A result paints them all.
    double frameAspect = 0;
    for (const QVector4D& f : m_brushSet.frames)
        frameAspect += f.w() > 0 ? double(f.z()) / f.w() : 0.0;
    frameAspect /= std::max(m_brushSet.frames.size(), 1);
    // Strokes off a thin picture's edges would count as if they lay on it.
    const std::vector<float>& squares = painter->squaredSizesOnPicture();
    const double overdraw = s.overdraw(squares, target.size(), frameAspect);
    const QSize painted = m_regions.paint.isEmpty() ? target.size() : m_regions.paint.size();
    const double most = std::min(kPreviewOverdraw, kPreviewFragments / (double(painted.width()) * painted.height()));
    const bool bounded = procMode() == QLatin1String("PREVIEW") && overdraw > most;
    painter->setKeepArea(bounded ? PainterSettings::keepAreaFor(squares, most / overdraw) : 0.0f);
    qCDebug(lcStrovaneStats, "overdraw %.1f (at most %.1f on %dx%d)%s", overdraw, most, painted.width(),
            painted.height(), bounded ? " bounded" : "");

    painter->setUniform("imageScale", s.imageScale);
    painter->setUniform("brushScale", s.brushScale);
    painter->setUniform("strokeAbstract", s.strokeAbstract);
    painter->setUniform("strokeSize", s.strokeSize);
    painter->setUniform("strokeTransparent", s.strokeTransparent);
    painter->setUniform("strokeRotation", s.strokeRotation);
    painter->setUniform("strokeRotationJitter", s.strokeRotationJitter);
    painter->setUniform("strokeBalance", s.strokeBalance);
    painter->setUniform("strokeColorJitter", s.strokeColorJitter);
    painter->setUniform("normalScale", s.normalScale);
    painter->setUniform("balanceScale", s.balanceScale);
    painter->setUniform("revealSize", s.revealSize);
    painter->setUniform("revealSpread", s.revealSpread);
    painter->setUniform("revealCenter", s.revealCenter);
    painter->setUniform("brushsetNum", m_brushSet.frameCount);
    if (m_brushSet.frameCount > 0) {
        painter->setUniformArray("texPos", m_brushSet.frames.constData(), m_brushSet.frameCount);
        painter->setUniformArray("texRotated", m_brushSet.upright.constData(), m_brushSet.frameCount);
    }
    painter->setUniform("light", s.light);

    painter->setParam(QStringLiteral("bg.type"), s.backgroundType, true);
    painter->setParam(QStringLiteral("bg.canvas.texture.color"), QVariant(m_values.bg_canvas_texture_color), true);

    bindImage(painter, "tex_dir", m_flowField, 1);
    bindImage(painter, "tex_image", adjusted, 2);
    painter->setResource("tex_normal", QStringLiteral("2D"), m_brushSet.atlas.textureId(), 3, GL_LINEAR,
                         GL_MIRRORED_REPEAT);
    painter->setResource("tex_stroke_info", QStringLiteral("2D"), painter->strokeTexture(), 15, GL_NEAREST,
                         GL_MIRRORED_REPEAT);

    qDebug() << "lightness:" << s.light;
    qDebug() << "light dir:" << s.lightdir;
    setUniform(painter, "lightdir", s.lightdir);

    painter->initGeometry(target.size());
    painter->render(target.size(), target);
    return !painter->abandoned();
}
