#include "ParamCommands.h"

#include "StrovaneParams.h"

#include <TEBase.h>
#include <TPresetFile.h>

#include <QJsonDocument>

#include <cstdio>

int listParams()
{
    for (const StrovaneParam& p : strovaneParams()) {
        const QString min = p.ui.ranged ? QString::number(p.ui.min) : QString();
        const QString max = p.ui.ranged ? QString::number(p.ui.max) : QString();
        std::printf("%s\t%s\t%s\t%s\t%s\n", qPrintable(p.key), qPrintable(TParam::typeName(p.type)),
                    qPrintable(TParam::toText(p.defaultValue)), qPrintable(min), qPrintable(max));
    }
    return 0;
}

int convertPreset(TEBase& effect, const QString& path)
{
    QVariantMap preset, params;
    QString error;
    if (!TPresetFile::read(path, &preset, &error) || !effect.presetToParams(preset, &params, &error)) {
        std::fprintf(stderr, "strovane-render: %s\n", qPrintable(error));
        return 2;
    }
    std::fputs(QJsonDocument(TPresetFile::paramsToJson(params)).toJson(QJsonDocument::Indented).constData(), stdout);
    return 0;
}
