#include "GLCache.h"

#include <QMutex>

#include <map>

namespace {
QMutex g_mutex;
std::map<QString, TSFbo>& entries()
{
    static std::map<QString, TSFbo> e;
    return e;
}
} // namespace

namespace GLCache {

TSFbo get(const QString& name, quint32 uid)
{
    QMutexLocker lock(&g_mutex);
    const auto it = entries().find(name);
    if (it == entries().end() || it->second.uid() != uid)
        return TSFbo();
    return it->second;
}

void set(const QString& name, const TSFbo& fbo, Policy)
{
    TSFbo previous;
    QMutexLocker lock(&g_mutex);
    previous = entries()[name];
    entries()[name] = fbo;
}

void release(const QString& name)
{
    TSFbo previous;
    QMutexLocker lock(&g_mutex);
    const auto it = entries().find(name);
    if (it == entries().end())
        return;
    previous = it->second;
    entries().erase(it);
}

void clear()
{
    std::map<QString, TSFbo> old;
    QMutexLocker lock(&g_mutex);
    old.swap(entries());
}

} // namespace GLCache
