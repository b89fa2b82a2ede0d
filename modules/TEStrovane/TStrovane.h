#pragma once

#include "StrovaneParamTable.h"

#include <TEffectMask.h>

#include <QColor>
#include <QPointF>
#include <QString>

#define STROVANE_PROPERTY(key, CType, ...) Q_PROPERTY(CType key READ key WRITE set##key NOTIFY key##Changed)
#define STROVANE_GETTER(key, CType, ...) \
    CType key() const { return paramValue(QStringLiteral(#key)).value<CType>(); }
#define STROVANE_SETTER(key, CType, ...)                              \
    void set##key(CType value)                                        \
    {                                                                 \
        if (writeParam(QStringLiteral(#key), QVariant::fromValue(value))) \
            emit key##Changed(value);                                 \
    }
#define STROVANE_SIGNAL(key, CType, ...) void key##Changed(CType value);

// The painting effect as QML and the framework see it: its parameters as
// properties, two view switches, and the conversion of old presets.
class TStrovane : public TEffectMask {
    Q_OBJECT
    STROVANE_PARAMS(STROVANE_PROPERTY)
    Q_PROPERTY(bool showPainting READ showPainting WRITE setShowPainting NOTIFY showPaintingChanged)
    Q_PROPERTY(bool lowResolutionMode READ lowResolutionMode WRITE setLowResolutionMode NOTIFY lowResolutionModeChanged)
public:
    explicit TStrovane(QObject* parent = nullptr);
    ~TStrovane() override;

    STROVANE_PARAMS(STROVANE_GETTER)
    bool showPainting() const;
    // What a control shows of a parameter: "label", "group" (its panel) and,
    // for numbers, "min" and "max"; empty for an unknown key.
    Q_INVOKABLE QVariantMap paramInfo(const QString& key) const;
    bool lowResolutionMode() const;

public slots:
    STROVANE_PARAMS(STROVANE_SETTER)
    void setShowPainting(bool showPainting);
    void setLowResolutionMode(bool lowResolutionMode);

signals:
    STROVANE_PARAMS(STROVANE_SIGNAL)
    void showPaintingChanged(bool showPainting);
    void lowResolutionModeChanged(bool lowResolutionMode);

private:
    bool setViewSwitch(const QString& key, bool value);
};
