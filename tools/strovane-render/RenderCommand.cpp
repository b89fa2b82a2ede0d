#include "RenderCommand.h"

#include "StrovaneModule.h"
#include "StrovaneParams.h"

#include <Strobase.h>
#include <TEFactory.h>
#include <TEffect.h>
#include <TImageIO.h>
#include <TPresetFile.h>
#include <TPrivateDisplay.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
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

int runRender(int& argc, char** argv, const RenderOptions& options)
{
    TSMat input;
    QString error;
    if (!TImageIO::load(options.input, &input, &error))
        return fail(error);
    const QString suffix = QFileInfo(options.output).suffix().toLower();
    if (!QStringList{"png", "jpg", "jpeg", "tif", "tiff"}.contains(suffix))
        return fail(QStringLiteral("%1: unknown output format (use .png, .jpg or .tif)").arg(options.output));
    if (options.depth == 16 && (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")))
        return fail(QStringLiteral("JPEG files hold 8 bits per channel only"));
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
    const TSMat result = effect->output();
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
