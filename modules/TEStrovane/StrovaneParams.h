#pragma once

#include "StrovaneParamTable.h"

#include <TParamType.h>

#include <QString>
#include <QVariant>
#include <QVector>

// The parameter table as data, for code that walks it (registration, the
// worker's stage parameters, listings).
struct StrovaneParam {
    QString key;
    TParamType type;
    QVariant defaultValue;
    StageSpec stage;
};

const QVector<StrovaneParam>& strovaneParams();
