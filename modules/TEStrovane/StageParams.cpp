#include "StageParams.h"

#include "StrovaneParams.h"
#include "StrovaneValues.h"

#include <QPointF>
#include <QVector>

StageParams StageParams::from(const QVariantMap& params)
{
    StageParams result;
    QVector<QString> basic(37), painting(21);
    for (const StrovaneParam& p : strovaneParams()) {
        const StageSpec& s = p.stage;
        if (s.conv == StageConv::None)
            continue;
        const QVariant value = TParam::convert(params.value(p.key), p.type);
        const QString key = QLatin1String(s.key);
        switch (s.conv) {
        case StageConv::Same:
            result.values.insert(key, value);
            break;
        case StageConv::Balance:
            result.values.insert(key, balanceStageValue(value.toFloat()));
            break;
        case StageConv::BoolAsFloat:
            result.values.insert(key, value.toBool() ? 1.0f : 0.0f);
            break;
        case StageConv::SplitPoint:
            result.values.insert(key, value.toPointF().x());
            result.values.insert(QLatin1String(s.key2), value.toPointF().y());
            break;
        case StageConv::Level:
            result.densityLevel = value.toInt();
            result.strokeGenerationKeys << key;
            // The level is an int for the stroke tables, a float among the
            // painting keys.
            result.values.insert(key, float(result.densityLevel));
            break;
        case StageConv::None:
            break;
        }
        if (s.basicPos >= 0)
            basic[s.basicPos] = key;
        if (s.paintingPos >= 0) {
            painting[s.paintingPos] = key;
            if (s.key2)
                painting[s.paintingPos + 1] = QLatin1String(s.key2);
        }
    }
    result.basicAdjustmentKeys = basic.toList();
    result.paintingKeys = painting.toList();
    return result;
}
