#include "StrovaneValues.h"

#include <TEBase.h>
#include <TParamType.h>

StrovaneValues StrovaneValues::from(const QVariantMap& params)
{
    StrovaneValues v;
#define STROVANE_VALUE_READ(key, CType, defaultValue, stageSpec, uiSpec) \
    v.key = TParam::convert(params.value(QStringLiteral(#key)), TParamTypeOf<CType>::value).value<CType>();
    STROVANE_PARAMS(STROVANE_VALUE_READ)
#undef STROVANE_VALUE_READ
    return v;
}
