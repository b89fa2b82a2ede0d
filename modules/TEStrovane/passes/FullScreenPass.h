#pragma once

#include <RenderPass.h>

// A pass that draws one quad over the whole target with the shaders
// ":/TEStrovane/strovane/shaders/<name>.frag" and, unless the pass needs its
// own, the shared "fullscreen.vert". Textures and uniforms are whatever the
// caller set before render; the target is cleared to opaque black first.
class FullScreenPass : public RenderPass {
public:
    explicit FullScreenPass(const QString& shaderName, const QString& vertexName = QStringLiteral("fullscreen"));
    ~FullScreenPass() override;

    bool initialize() override;
    bool initGeometry(const QSize& size) override;
    bool render(const QSize& size, TSFbo& target) override;

    static QString shaderPath(const QString& shaderName, const char* extension);

private:
    QString m_shaderName;
    QString m_vertexName;
};
