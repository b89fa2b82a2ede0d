#include "TStrovane.h"

#include "PresetToV20.h"
#include "StrovaneParams.h"

static const QString kShowPainting = QStringLiteral("showPainting");
static const QString kLowResolutionMode = QStringLiteral("lowResolutionMode");

TStrovane::TStrovane(QObject* parent)
    : TEffectMask(parent)
{
#define STROVANE_REGISTER(key, CType, defaultValue, ...) registerParam<CType>(QStringLiteral(#key), defaultValue, true);
    STROVANE_PARAMS(STROVANE_REGISTER)
#undef STROVANE_REGISTER
    setStateEntry(kShowPainting, true);
    setStateEntry(kLowResolutionMode, false);
    finalizeConstructor(QStringLiteral("TStrovane"), ver(2, 0));
    addPresetConvertor(ver(0, 0), ver(2, 0), presetToV20);
}

TStrovane::~TStrovane() = default;

bool TStrovane::showPainting() const
{
    return stateData().value(kShowPainting).toBool();
}

bool TStrovane::lowResolutionMode() const
{
    return stateData().value(kLowResolutionMode).toBool();
}

// View switches change how the result is shown, not the painting: no preview
// request, not part of presets.
bool TStrovane::setViewSwitch(const QString& key, bool value)
{
    if (stateData().value(key).toBool() == value)
        return false;
    setStateEntry(key, value);
    return true;
}

void TStrovane::setShowPainting(bool showPainting)
{
    if (setViewSwitch(kShowPainting, showPainting))
        emit showPaintingChanged(showPainting);
}

void TStrovane::setLowResolutionMode(bool lowResolutionMode)
{
    if (setViewSwitch(kLowResolutionMode, lowResolutionMode))
        emit lowResolutionModeChanged(lowResolutionMode);
}

QVariantMap TStrovane::paramInfo(const QString& key) const
{
    const StrovaneParam* p = strovaneParam(key);
    if (!p)
        return QVariantMap();
    QVariantMap info{{QStringLiteral("label"), QString::fromUtf8(p->ui.label)},
                     {QStringLiteral("group"), QString::fromUtf8(p->ui.group)}};
    if (p->ui.ranged) {
        info.insert(QStringLiteral("min"), p->ui.min);
        info.insert(QStringLiteral("max"), p->ui.max);
    }
    return info;
}
