#pragma once

#include "strobase_global.h"

#include <QObject>

// The framework's processing server as the user interface sees it: it
// starts the GL thread and tells when it is ready.
class STROBASE_EXPORT TStroServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isReady READ isReady NOTIFY isReadyChanged)
    // Known once the server is ready; reading them earlier waits for it.
    Q_PROPERTY(QString gpuRenderer READ gpuRenderer NOTIFY isReadyChanged)
    Q_PROPERTY(int glMaxTextureSize READ glMaxTextureSize NOTIFY isReadyChanged)
public:
    explicit TStroServer(QObject* parent = nullptr);

    bool isReady() const;

    // Name of the GPU that renders, and its largest texture side.
    static QString gpuRenderer();
    static int glMaxTextureSize();

signals:
    void isReadyChanged();
};
