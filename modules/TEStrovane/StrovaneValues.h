#pragma once

#include "StrovaneParamTable.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <QVariantMap>

// Every painting parameter as a typed member named by its key, read once per
// request from the table: the stages use these, so a misspelt key does not
// compile. (The dotted stage keys remain for the cache identities.)
struct StrovaneValues {
#define STROVANE_VALUE_MEMBER(key, CType, defaultValue, stageSpec, uiSpec) CType key = defaultValue;
    STROVANE_PARAMS(STROVANE_VALUE_MEMBER)
#undef STROVANE_VALUE_MEMBER

    // From the "params" map of a request; a missing or unreadable value reads
    // as its type's zero, as the stage keys do.
    static StrovaneValues from(const QVariantMap& params);
};

// The painter's "large brush volume" as the stage sees it.
inline float balanceStageValue(float balance)
{
    return (1.0f - balance) * 0.5f;
}
