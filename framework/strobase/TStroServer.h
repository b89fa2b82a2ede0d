#pragma once

#include "strobase_global.h"

#include <QObject>

// The framework's processing server as the user interface sees it: it
// starts the GL thread and tells when it is ready.
class STROBASE_EXPORT TStroServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isReady READ isReady NOTIFY isReadyChanged)
public:
    explicit TStroServer(QObject* parent = nullptr);

    bool isReady() const;

    // Name of the GPU that renders, and its largest texture side.
    static QString gpuRenderer();
    static int glMaxTextureSize();

signals:
    void isReadyChanged();
};
