#include "TEffect.h"

static const QString kBlendMode = QStringLiteral("blendMode");
static const QString kOpacity = QStringLiteral("opacity");

TEffect::TEffect(QObject* parent)
    : TEBase(parent)
{
    registerParam<int>(kBlendMode, 0, true);
    registerParam<float>(kOpacity, 1.0f, true);
}

int TEffect::blendMode() const
{
    return paramValue(kBlendMode).toInt();
}

float TEffect::opacity() const
{
    return paramValue(kOpacity).toFloat();
}

void TEffect::setBlendMode(int value)
{
    if (writeParam(kBlendMode, value))
        emit blendModeChanged(value);
}

void TEffect::setOpacity(float value)
{
    if (writeParam(kOpacity, value))
        emit opacityChanged(value);
}

void TEffect::finalizeConstructor(const QString& className, TVersion version)
{
    setClassVersion(className, version);
}
