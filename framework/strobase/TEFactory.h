#pragma once

#include "strobase_global.h"

#include <QStringList>
#include <QVariantMap>

class TEBase;
class TEBaseWorker;

// Makes effects and their workers creatable by class name; modules register
// their classes when they are loaded.
class STROBASE_EXPORT TEFactory {
public:
    using EffectCreator = TEBase* (*)(TEBase* parent);
    using WorkerCreator = TEBaseWorker* (*)(const QString& name, unsigned a, unsigned b);

    // defaults: extra state entries a new effect of the class starts with;
    // hidden: the class is not offered in lists of effects for the user.
    static bool registerClass(const QString& name, EffectCreator createEffect, WorkerCreator createWorker,
                              const QVariantMap& defaults, bool hidden);
    static bool isRegistered(const QString& name);
    static QStringList classNames(bool includeHidden = false);

    // Null when no class of that name is registered.
    static TEBase* createEffect(const QString& name, TEBase* parent = nullptr);
    static TEBaseWorker* createWorker(const QString& name, unsigned a, unsigned b);
};
