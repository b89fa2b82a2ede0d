#pragma once

#include <RenderPass.h>

#include <QStringList>

// Makes the painting engine's passes by name, each initialised (its shaders
// compiled). An unknown name throws the text "no such pass" + name.
class StrovanePassFactory : public RenderPassFactory {
public:
    RenderPass* create(const QString& name) override;

    // The fifteen pass names, in the order the worker creates them.
    static const QStringList& passNames();
};
