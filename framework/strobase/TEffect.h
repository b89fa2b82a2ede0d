#pragma once

#include "TEBase.h"

// An effect the user applies: its parameters plus the framework's base
// entries "blendMode" and "opacity", which say how the result is laid over
// the input.
class STROBASE_EXPORT TEffect : public TEBase {
    Q_OBJECT
    Q_PROPERTY(int blendMode READ blendMode WRITE setBlendMode NOTIFY blendModeChanged)
    Q_PROPERTY(float opacity READ opacity WRITE setOpacity NOTIFY opacityChanged)
public:
    explicit TEffect(QObject* parent = nullptr);

    int blendMode() const;
    float opacity() const;

public slots:
    void setBlendMode(int value);
    void setOpacity(float value);

signals:
    void blendModeChanged(int value);
    void opacityChanged(float value);

protected:
    // Called last by every effect constructor: names the effect class and its
    // current parameter version, and makes the defaults the first undo point.
    void finalizeConstructor(const QString& className, TVersion version);
};
