#include "RenderCommand.h"

#include "StrovaneModule.h"
#include "StrovaneParams.h"
#include "stages/SizePolicy.h"

#include <Strobase.h>
#include <TEFactory.h>
#include <TEffect.h>
#include <TGLWorkerThread.h>
#include <TImageIO.h>
#include <TMemory.h>
#include <TPresetFile.h>
#include <TPrivateDisplay.h>
#include <TSafeFile.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <unistd.h>

namespace {

// The folder of the running program, wherever it was started from.
QString programFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

int fail(const QString& message)
{
    std::fprintf(stderr, "strovane-render: %s\n", qPrintable(message));
    return 2;
}

// Lines of the stats category, collected per request.
QStringList g_statsLines;
QtMessageHandler g_previousHandler = nullptr;

void collectStats(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && qstrcmp(context.category, "strovane.stats") == 0) {
        g_statsLines << message;
        return;
    }
    g_previousHandler(type, context, message);
}

// Parses KEY=VALUE texts into typed values of the effect's parameters.
bool parseAssignments(const TEffect& effect, const QStringList& assignments, QList<QPair<QString, QVariant>>* values,
                      QString* error)
{
    for (const QString& assignment : assignments) {
        const int eq = assignment.indexOf(QLatin1Char('='));
        const QString key = assignment.left(eq);
        if (eq <= 0 || !effect.hasParam(key)) {
            *error = QStringLiteral("unknown parameter in \"%1\" (see --list-params)").arg(assignment);
            return false;
        }
        QVariant value;
        if (!TParam::fromText(assignment.mid(eq + 1), effect.paramType(key), &value)) {
            *error = QStringLiteral("bad %1 value in \"%2\"").arg(TParam::typeName(effect.paramType(key)), assignment);
            return false;
        }
        const StrovaneParam* param = strovaneParam(key);
        if (param && !inRange(*param, value, error))
            return false;
        values->append({key, value});
    }
    return true;
}

// Writes through the properties, as the user interface does.
void apply(TEffect& effect, const QList<QPair<QString, QVariant>>& values)
{
    for (const auto& kv : values)
        effect.setProperty(kv.first.toUtf8().constData(), kv.second);
}

void printStats(int request, qint64 wallNs)
{
    std::fprintf(stderr, "request %d: %.1f ms\n", request, wallNs / 1e6);
    for (const QString& line : g_statsLines)
        std::fprintf(stderr, "  %s\n", qPrintable(line));
    g_statsLines.clear();
}

} // namespace

QStringList splitAssignments(const QString& text)
{
    QStringList result;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        if (piece.contains(QLatin1Char('=')) || result.isEmpty())
            result << piece;
        else
            result.last() += QLatin1Char(',') + piece;
    }
    return result;
}

namespace {

// The longer side brought down to side, the shape kept.
QSize reduced(const QSize& size, int side)
{
    const int longer = std::max(size.width(), size.height());
    if (longer <= side)
        return size;
    const double scale = double(side) / longer;
    return QSize(std::max(1, int(std::lround(size.width() * scale))), std::max(1, int(std::lround(size.height() * scale))));
}

// The picture as the render takes it: refused before it is decoded when
// painting it needs more memory than the render may take; in low-resolution
// mode reduced to the working size (decoded reduced where the format allows).
bool loadInput(const RenderOptions& options, TSMat* input, QString* error)
{
    TImageIO::LoadOptions load;
    if (options.lowResolution)
        load.minSide = SizePolicy::kWorkingSide;
    load.accept = [&](const QSize& size, QString* why) {
        const QSize input = options.lowResolution ? reduced(size, SizePolicy::kWorkingSide) : size;
        const QSize working(std::max(1, input.width() / options.decimation), std::max(1, input.height() / options.decimation));
        const qint64 need = SizePolicy::memoryOf(input, working);
        QString limit = QStringLiteral("--max-memory");
        const qint64 have = options.maxMemory > 0 ? options.maxMemory : TMemory::available(&limit);
        if (need <= have)
            return true;
        *why = QStringLiteral("painting it needs about %1, more than the %2 of %3 (--low-resolution or --decimation "
                              "need less; --max-memory sets the limit)")
                   .arg(TMemory::describe(need), TMemory::describe(have), limit);
        return false;
    };
    if (!TImageIO::load(options.input, input, error, load))
        return false;
    if (options.lowResolution && std::max(input->width(), input->height()) > SizePolicy::kWorkingSide) {
        const QSize size = reduced(QSize(input->width(), input->height()), SizePolicy::kWorkingSide);
        cv::Mat small;
        cv::resize(input->mat(), small, cv::Size(size.width(), size.height()), 0, 0, cv::INTER_AREA);
        *input = TSMat(small);
    }
    return true;
}

int render(int& argc, char** argv, const RenderOptions& options)
{
    QString error;
    const QString suffix = QFileInfo(options.output).suffix().toLower();
    if (!QStringList{"png", "jpg", "jpeg", "tif", "tiff"}.contains(suffix))
        return fail(QStringLiteral("%1: unknown output format (use .png, .jpg or .tif)").arg(options.output));
    if (options.depth == 16 && (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")))
        return fail(QStringLiteral("JPEG files hold 8 bits per channel only"));
    const QString unwritable = TSafeFile::writeProblem(options.output);
    if (!unwritable.isEmpty())
        return fail(unwritable);
    TSMat input;
    if (!loadInput(options, &input, &error))
        return fail(error);
    TPrivateDisplay display;
    if (!display.ensure(&error))
        return fail(error);

    const QString tgrc = options.tgrcFolder.isEmpty() ? programFolder() + QStringLiteral("/tgrc")
                                                      : options.tgrcFolder;
    Strobase::init(QString(), QUrl(), tgrc);
    registerStrovaneClasses();
    std::unique_ptr<TEffect> effect(qobject_cast<TEffect*>(TEFactory::createEffect(QStringLiteral("TStrovane"))));

    // Parameters are set before the first request: no previews on the way.
    effect->setNotificationEnabled(false);
    if (!options.preset.isEmpty()) {
        QVariantMap preset, params;
        if (!TPresetFile::read(options.preset, &preset, &error) || !effect->presetToParams(preset, &params, &error))
            return fail(error);
        effect->setPreset(preset);
    }
    QList<QPair<QString, QVariant>> sets;
    QList<QList<QPair<QString, QVariant>>> thens;
    if (!parseAssignments(*effect, options.sets, &sets, &error))
        return fail(error);
    for (const QStringList& changes : options.thenChanges) {
        thens.append(QList<QPair<QString, QVariant>>());
        if (!parseAssignments(*effect, changes, &thens.last(), &error))
            return fail(error);
    }
    apply(*effect, sets);
    Strobase::setOpenGLDefaults();
    QGuiApplication app(argc, argv);
    if (options.stats)
        g_previousHandler = qInstallMessageHandler(collectStats);

    effect->setDecimation(options.decimation);
    effect->setRegion(options.region);
    effect->setProperty("lowResolutionMode", options.lowResolution);
    effect->setInput(input);

    const bool showProgress = isatty(STDERR_FILENO);
    if (showProgress) {
        QObject::connect(effect.get(), &TEffect::progress, [](int percent, const QString& text) {
            std::fprintf(stderr, "\r%s %3d%%", qPrintable(text), percent);
            if (percent >= 100)
                std::fputc('\n', stderr);
        });
    }

    QString renderError;
    auto render = [&](int request) {
        QEventLoop loop;
        QObject::connect(effect.get(), &TEffect::procFinished, &loop, [&](const QString&, const QString& e) {
            renderError = e;
            loop.quit();
        });
        QElapsedTimer timer;
        timer.start();
        if (options.preview)
            effect->procPreview();
        else
            effect->procOutput();
        loop.exec();
        if (options.stats)
            printStats(request, timer.nsecsElapsed());
    };
    render(1);
    for (int i = 0; i < thens.size() && renderError.isEmpty(); ++i) {
        apply(*effect, thens[i]);
        render(i + 2);
    }
    TSMat result = effect->output();
    if (options.preview && renderError.isEmpty()) {
        const TSFbo shown = effect->preview();
        TGLWorkerThread::instance()->runBlocking([&] { result = TSMat(shown.dataToMat(CV_16UC3, true, true)); });
    }
    effect.reset();
    Strobase::shutDown();
    if (!renderError.isEmpty() || result.isEmpty())
        return fail(renderError.isEmpty() ? QStringLiteral("the render produced no image") : renderError);
    TImageIO::SaveOptions saveOptions;
    saveOptions.depth = options.depth;
    saveOptions.pngCompression = options.pngCompression;
    saveOptions.metadataSource = options.input; // the camera and dates stay with the painting
    if (!TImageIO::save(options.output, result.mat(), saveOptions, &error))
        return fail(error);
    std::fprintf(stderr, "strovane-render: wrote %s (%dx%d)\n", qPrintable(options.output), result.width(),
                 result.height());
    return 0;
}

} // namespace

int runRender(int& argc, char** argv, const RenderOptions& options)
{
    // What runs out of memory on the way ends the render, not the process.
    try {
        return render(argc, argv, options);
    } catch (const std::bad_alloc&) {
        return fail(QStringLiteral("out of memory"));
    } catch (const cv::Exception& e) {
        return fail(QStringLiteral("out of memory (%1)").arg(QString::fromStdString(e.msg)));
    }
}
