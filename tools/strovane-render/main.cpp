#include "ParamCommands.h"

#include "StrovaneModule.h"

#include <TEBase.h>
#include <TEFactory.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <memory>

namespace {

const char* const kUsage =
    "Usage: strovane-render --list-params\n"
    "       strovane-render --convert-preset FILE\n"
    "\n"
    "Turns photographs into paintings without the user interface.\n"
    "\n"
    "  --list-params          list the painting parameters: key, type, default\n"
    "  --convert-preset FILE  print the current-version parameters of a preset\n"
    "  --verbose              show the system's debug lines on stderr\n"
    "  --help                 show this help\n"
    "  --version              show the version\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "strovane-render: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("strovane-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(STROVANE_VERSION));

    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption list(QStringLiteral("list-params"));
    const QCommandLineOption convert(QStringLiteral("convert-preset"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption verbose(QStringLiteral("verbose"));
    parser.addOptions({help, version, list, convert, verbose});
    if (!parser.parse(app.arguments()))
        return fail(parser.errorText());

    if (!parser.isSet(verbose))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
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
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("rendering an image is not available yet"));
    return fail(QStringLiteral("nothing to do; see --help"));
}
