#pragma once
// The segments of a plug-in exchange as tests clear them and look for them.
#include <IPCParams.h>
#include <IpcSegment.h>

#include <QFile>
#include <QString>

namespace ExchangeSegments {

inline const char* const kNames[] = {IPCPARAM, IPCSRCICC, IPCPLANE0, IPCPLANE1, IPCPLANE2};

// The files of a segment's payload and info objects.
inline QStringList files(const char* name)
{
    return {QStringLiteral("/dev/shm/") + QLatin1String(name),
            QStringLiteral("/dev/shm/") + QString::fromStdString(IpcSegment::infoName(name))};
}

inline bool anyLeft()
{
    for (const char* name : kNames)
        for (const QString& f : files(name))
            if (QFile::exists(f))
                return true;
    return false;
}

inline void removeAll()
{
    for (const char* name : kNames)
        for (const QString& f : files(name))
            QFile::remove(f);
}

} // namespace ExchangeSegments
