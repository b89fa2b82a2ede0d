#pragma once

#include <QStringList>
#include <QVariantMap>

// The worker's view of a request's parameters: the values under the stages'
// dotted keys, and the three key lists whose values make up the identities
// of stroke generation, basic adjustment and painting.
struct StageParams {
    QVariantMap values;
    QStringList strokeGenerationKeys;
    QStringList basicAdjustmentKeys;
    QStringList paintingKeys;
    int densityLevel = 0;

    // From the "params" map of a request (missing values read as zero).
    static StageParams from(const QVariantMap& params);
};
