#include "HostArguments.h"

#include <IPCParams.h>

#include <QStringList>

const char* HostArguments::usage()
{
    return "usage: strovane-host [--preset-id ID] [--silent] [--selection X,Y,W,H] [--verbose] IN OUT\n"
           "Hands IN (JPEG, TIFF or PNG) to the painting program, waits for it and, on Apply,\n"
           "writes the painting to OUT in IN's format, depth and colour profile and prints\n"
           "the applied preset id.\n"
           "  --preset-id ID   the preset or built-in style to start from (to paint with, silently)\n"
           "  --silent         paint with the preset id, without the window\n"
           "  --selection X,Y,W,H  paint only that rectangle; the rest stays as it is\n"
           "  --verbose        let the program's own output through to stderr\n"
           "Exit status: 0 applied, 1 cancelled (or interrupted), 2 failed.\n";
}

namespace {

bool parseSelection(const QString& text, QRect* rect)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return false;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return false;
    *rect = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

} // namespace

bool HostArguments::parse(int argc, char** argv, HostArguments* a, QString* error)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.section(QLatin1Char('='), 1);
            arg = arg.section(QLatin1Char('='), 0, 0);
            inlineValue = true;
        }
        auto takeValue = [&](QString* into) {
            if (inlineValue) {
                *into = value;
                return true;
            }
            if (i + 1 >= argc) {
                *error = QStringLiteral("%1 needs a value").arg(arg);
                return false;
            }
            *into = QString::fromLocal8Bit(argv[++i]);
            return true;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a->help = true;
            return true;
        } else if (arg == QLatin1String("--silent") && !inlineValue) {
            a->silent = true;
        } else if (arg == QLatin1String("--verbose") && !inlineValue) {
            a->verbose = true;
        } else if (arg == QLatin1String("--preset-id")) {
            if (!takeValue(&a->presetId))
                return false;
            // The record's field holds the id and its terminating NUL.
            if (a->presetId.toLocal8Bit().size() >= int(sizeof(IPCParams::presetId))) {
                *error = QStringLiteral("the preset id is longer than %1 bytes").arg(sizeof(IPCParams::presetId) - 1);
                return false;
            }
        } else if (arg == QLatin1String("--selection")) {
            QString text;
            if (!takeValue(&text))
                return false;
            if (!parseSelection(text, &a->selection)) {
                *error = QStringLiteral("--selection wants X,Y,W,H (whole numbers, W and H above 0), not \"%1\"").arg(text);
                return false;
            }
            a->hasSelection = true;
        } else if (arg == QLatin1String("--")) {
            for (++i; i < argc; ++i)
                files << QString::fromLocal8Bit(argv[i]);
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return false;
        } else {
            files << arg;
        }
    }
    // A replay without a preset would paint whatever the default is.
    if (a->silent && a->presetId.isEmpty()) {
        *error = QStringLiteral("--silent needs --preset-id: the style or preset to paint with");
        return false;
    }
    if (files.size() != 2) {
        *error = QStringLiteral("IN and OUT are wanted, %1 given").arg(files.size());
        return false;
    }
    a->in = files[0];
    a->out = files[1];
    return true;
}
