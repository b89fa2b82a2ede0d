#include "StrovaneParams.h"

#include <TEBase.h>

#include <QColor>
#include <QPointF>

const QVector<StrovaneParam>& strovaneParams()
{
#define STROVANE_PARAM_ROW(key, CType, defaultValue, stageSpec, uiSpec) \
    {QStringLiteral(#key), TParamTypeOf<CType>::value, QVariant::fromValue<CType>(defaultValue), stageSpec, uiSpec},
    static const QVector<StrovaneParam> table{STROVANE_PARAMS(STROVANE_PARAM_ROW)};
#undef STROVANE_PARAM_ROW
    return table;
}

const StrovaneParam* strovaneParam(const QString& key)
{
    for (const StrovaneParam& p : strovaneParams())
        if (p.key == key)
            return &p;
    return nullptr;
}

bool inRange(const StrovaneParam& param, const QVariant& value, QString* why)
{
    if (!param.ui.ranged)
        return true;
    const double v = value.toDouble();
    if (v >= param.ui.min && v <= param.ui.max)
        return true;
    *why = QStringLiteral("%1 must lie between %2 and %3").arg(param.key).arg(param.ui.min).arg(param.ui.max);
    return false;
}
