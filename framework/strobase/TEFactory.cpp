#include "TEFactory.h"

#include "TEBase.h"

#include <QMutex>

#include <map>

namespace {
struct Entry {
    TEFactory::EffectCreator createEffect;
    TEFactory::WorkerCreator createWorker;
    QVariantMap defaults;
    bool hidden;
};

QMutex& registryMutex()
{
    static QMutex mutex;
    return mutex;
}

std::map<QString, Entry>& registry()
{
    static std::map<QString, Entry> entries;
    return entries;
}

bool find(const QString& name, Entry* out)
{
    QMutexLocker lock(&registryMutex());
    const auto it = registry().find(name);
    if (it == registry().end())
        return false;
    *out = it->second;
    return true;
}
} // namespace

bool TEFactory::registerClass(const QString& name, EffectCreator createEffect, WorkerCreator createWorker,
                              const QVariantMap& defaults, bool hidden)
{
    if (name.isEmpty() || !createEffect)
        return false;
    QMutexLocker lock(&registryMutex());
    registry()[name] = Entry{createEffect, createWorker, defaults, hidden};
    return true;
}

bool TEFactory::isRegistered(const QString& name)
{
    Entry e;
    return find(name, &e);
}

QStringList TEFactory::classNames(bool includeHidden)
{
    QMutexLocker lock(&registryMutex());
    QStringList names;
    for (const auto& kv : registry()) {
        if (includeHidden || !kv.second.hidden)
            names.append(kv.first);
    }
    return names;
}

TEBase* TEFactory::createEffect(const QString& name, TEBase* parent)
{
    Entry e;
    if (!find(name, &e))
        return nullptr;
    TEBase* effect = e.createEffect(parent);
    if (effect && !e.defaults.isEmpty()) {
        QVariantMap state = effect->stateData();
        for (auto it = e.defaults.cbegin(); it != e.defaults.cend(); ++it)
            state.insert(it.key(), it.value());
        effect->setStateData(state);
    }
    return effect;
}

TEBaseWorker* TEFactory::createWorker(const QString& name, unsigned a, unsigned b)
{
    Entry e;
    if (!find(name, &e) || !e.createWorker)
        return nullptr;
    return e.createWorker(name, a, b);
}
