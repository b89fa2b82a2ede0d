#include "StrovaneParams.h"

#include <TEBase.h>

#include <QColor>
#include <QPointF>

const QVector<StrovaneParam>& strovaneParams()
{
#define STROVANE_PARAM_ROW(key, CType, defaultValue, stageSpec) \
    {QStringLiteral(#key), TParamTypeOf<CType>::value, QVariant::fromValue<CType>(defaultValue), stageSpec},
    static const QVector<StrovaneParam> table{STROVANE_PARAMS(STROVANE_PARAM_ROW)};
#undef STROVANE_PARAM_ROW
    return table;
}
