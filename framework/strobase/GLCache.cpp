#include "GLCache.h"

#include <QMutex>

#include <map>
#include <set>

namespace {
struct Entry {
    TSFbo fbo;
    std::set<GLCache::Owner> owners;
};

QMutex g_mutex;
std::map<QString, Entry>& entries()
{
    static std::map<QString, Entry> e;
    return e;
}
} // namespace

namespace GLCache {

TSFbo get(const QString& name, quint32 uid, Owner owner)
{
    QMutexLocker lock(&g_mutex);
    const auto it = entries().find(name);
    if (it == entries().end() || it->second.fbo.uid() != uid)
        return TSFbo();
    if (owner)
        it->second.owners.insert(owner);
    return it->second.fbo;
}

void set(const QString& name, const TSFbo& fbo, Policy, Owner owner)
{
    // The replaced image is dropped after the lock is given up.
    Entry previous;
    QMutexLocker lock(&g_mutex);
    Entry& entry = entries()[name];
    previous = entry;
    entry.fbo = fbo;
    entry.owners.clear();
    if (owner)
        entry.owners.insert(owner);
}

void release(const QString& name)
{
    Entry previous;
    QMutexLocker lock(&g_mutex);
    const auto it = entries().find(name);
    if (it == entries().end())
        return;
    previous = it->second;
    entries().erase(it);
}

void releaseOwner(Owner owner)
{
    std::map<QString, Entry> dropped;
    QMutexLocker lock(&g_mutex);
    for (auto it = entries().begin(); it != entries().end();) {
        auto& owners = it->second.owners;
        if (owners.erase(owner) && owners.empty()) {
            dropped.insert(*it);
            it = entries().erase(it);
        } else {
            ++it;
        }
    }
}

void clear()
{
    std::map<QString, Entry> old;
    QMutexLocker lock(&g_mutex);
    old.swap(entries());
}

} // namespace GLCache
