#include "ParamCommands.h"
#include "RenderCommand.h"

#include "StrovaneModule.h"

#include <TEBase.h>
#include <TEFactory.h>
#include <TMemory.h>

#include <QCommandLineParser>
#include <QLoggingCategory>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace {

const char* const kUsage =
    "Usage: strovane-render [options] INPUT OUTPUT\n"
    "       strovane-render --list-params\n"
    "       strovane-render --convert-preset FILE\n"
    "\n"
    "Turns a photograph (JPEG, TIFF or PNG) into a painting without the user\n"
    "interface. OUTPUT's extension picks the format (.png, .jpg, .tif). It needs\n"
    "OpenGL through an X display; where there is none it starts a virtual one\n"
    "(Xvfb) of its own.\n"
    "\n"
    "  --preset FILE            start from a preset file\n"
    "  --set KEY=VALUE          set a parameter (repeatable; after the preset);\n"
    "                           numbers must lie in the parameter's range\n"
    "  --then KEY=VALUE[,...]   after the result, change parameters and render\n"
    "                           again with the same engine and caches (repeatable);\n"
    "                           OUTPUT holds the last result\n"
    "  --decimation N           render at 1/N of the size (default 1)\n"
    "  --low-resolution         paint and write at most 2048 pixels on the longest side\n"
    "  --max-memory SIZE        the memory the render may take (4G, 512M); a picture\n"
    "                           that needs more is refused before it is decoded\n"
    "                           (default: what the machine can give)\n"
    "  --depth 8|16             bits per channel of PNG and TIFF output (default 8)\n"
    "  --png-compression 0-9    zlib level of PNG output (default 1: fast, larger)\n"
    "  --tgrc DIR               brush and canvas folder (default: tgrc beside the program)\n"
    "  --preview                paint as the window's live preview does (with\n"
    "                           --decimation, the size it is shown at): the\n"
    "                           paint of very large strokes is thinned out\n"
    "  --region X,Y,W,H         with --preview: paint only this part, in the\n"
    "                           input's pixels, as the window does for the part\n"
    "                           it shows; the rest shows the photograph\n"
    "  --stats                  per request: wall time of every stage, cache hits\n"
    "  --verbose                show the system's debug lines on stderr\n"
    "  --list-params            list the painting parameters: key, type, default,\n"
    "                           minimum and maximum (empty without a range)\n"
    "  --convert-preset FILE    print the current-version parameters of a preset\n"
    "  --help                   show this help\n"
    "  --version                show the version\n"
    "\n"
    "Values use the --list-params formats: 0.5, 1, true, 0.5,0.5, #rrggbbaa.\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "strovane-render: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption list(QStringLiteral("list-params"));
    const QCommandLineOption convert(QStringLiteral("convert-preset"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    const QCommandLineOption preset(QStringLiteral("preset"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption set(QStringLiteral("set"), QString(), QStringLiteral("KEY=VALUE"));
    const QCommandLineOption then(QStringLiteral("then"), QString(), QStringLiteral("CHANGES"));
    const QCommandLineOption decimation(QStringLiteral("decimation"), QString(), QStringLiteral("N"));
    const QCommandLineOption lowResolution(QStringLiteral("low-resolution"));
    const QCommandLineOption depth(QStringLiteral("depth"), QString(), QStringLiteral("BITS"));
    const QCommandLineOption pngCompression(QStringLiteral("png-compression"), QString(), QStringLiteral("LEVEL"));
    const QCommandLineOption tgrc(QStringLiteral("tgrc"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption stats(QStringLiteral("stats"));
    const QCommandLineOption preview(QStringLiteral("preview"));
    const QCommandLineOption region(QStringLiteral("region"), QString(), QStringLiteral("X,Y,W,H"));
    const QCommandLineOption maxMemory(QStringLiteral("max-memory"), QString(), QStringLiteral("SIZE"));
    parser.addOptions({help, version, list, convert, verbose, preset, set, then, decimation, lowResolution, depth, pngCompression, tgrc,
                       stats, maxMemory, preview, region});
    if (!parser.parse(arguments))
        return fail(parser.errorText());

    QString rules = parser.isSet(verbose) ? QString() : QStringLiteral("*.debug=false\n");
    if (parser.isSet(stats))
        rules += QStringLiteral("strovane.stats.debug=true\n");
    QLoggingCategory::setFilterRules(rules);

    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("strovane-render %s\n", STROVANE_VERSION);
        return 0;
    }
    if (parser.isSet(list))
        return listParams();
    if (parser.isSet(convert)) {
        registerStrovaneClasses();
        std::unique_ptr<TEBase> effect(TEFactory::createEffect(QStringLiteral("TStrovane")));
        return convertPreset(*effect, parser.value(convert));
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return fail(QStringLiteral("expected INPUT and OUTPUT; see --help"));
    RenderOptions options;
    options.input = positional[0];
    options.output = positional[1];
    options.preset = parser.value(preset);
    options.sets = parser.values(set);
    options.preview = parser.isSet(preview);
    for (const QString& changes : parser.values(then))
        options.thenChanges << splitAssignments(changes);
    bool ok = true;
    if (parser.isSet(decimation)) {
        options.decimation = parser.value(decimation).toInt(&ok);
        if (!ok || options.decimation < 1)
            return fail(QStringLiteral("--decimation needs a whole number of at least 1"));
    }
    if (parser.isSet(region)) {
        const QStringList parts = parser.value(region).split(QLatin1Char(','));
        int v[4] = {0, 0, 0, 0};
        for (int i = 0; ok && i < 4 && parts.size() == 4; ++i)
            v[i] = parts[i].trimmed().toInt(&ok);
        if (parts.size() != 4 || !ok || v[0] < 0 || v[1] < 0 || v[2] < 1 || v[3] < 1)
            return fail(QStringLiteral("--region is X,Y,W,H in whole pixels, with W and H at least 1"));
        if (!options.preview)
            return fail(QStringLiteral("--region needs --preview: a result is always whole"));
        options.region = QRect(v[0], v[1], v[2], v[3]);
    }
    if (parser.isSet(depth)) {
        options.depth = parser.value(depth).toInt(&ok);
        if (!ok || (options.depth != 8 && options.depth != 16))
            return fail(QStringLiteral("--depth is 8 or 16"));
    }
    if (parser.isSet(pngCompression)) {
        options.pngCompression = parser.value(pngCompression).toInt(&ok);
        if (!ok || options.pngCompression < 0 || options.pngCompression > 9)
            return fail(QStringLiteral("--png-compression is 0 to 9"));
    }
    if (parser.isSet(maxMemory)) {
        options.maxMemory = TMemory::parseSize(parser.value(maxMemory));
        if (options.maxMemory <= 0)
            return fail(QStringLiteral("--max-memory takes a size such as 4G or 512M"));
    }
    options.lowResolution = parser.isSet(lowResolution);
    options.stats = parser.isSet(stats);
    options.tgrcFolder = parser.value(tgrc);
    return runRender(argc, argv, options);
}
