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
    UiSpec ui;
};

const QVector<StrovaneParam>& strovaneParams();
// The row of a key, null when there is none.
const StrovaneParam* strovaneParam(const QString& key);
// Whether a value lies in the parameter's range (always, for types without
// one); outside, why not in one line.
bool inRange(const StrovaneParam& param, const QVariant& value, QString* why);
