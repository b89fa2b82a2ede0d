#pragma once
// The segments of a plug-in exchange as tests clear them and look for them.
#include <ExchangeLock.h>
#include <IPCParams.h>
#include <IpcSegment.h>

#include <QFile>
#include <QString>

namespace ExchangeSegments {

inline const char* const kNames[] = {IPCPARAM, IPCSRCICC, IPCPLANE0, IPCPLANE1, IPCPLANE2};

// The files of a segment's payload and info objects.
inline QStringList files(const char* name)
{
    return {QLatin1String(IpcSegment::kShmFolder) + QString::fromStdString(IpcSegment::payloadName(name)),
            QLatin1String(IpcSegment::kShmFolder) + QString::fromStdString(IpcSegment::infoName(name))};
}

// Every segment's files and the host's lock file.
inline QStringList allFiles()
{
    QStringList all{QLatin1String(IpcSegment::kShmFolder) + QString::fromStdString(ExchangeLock::name())};
    for (const char* name : kNames)
        all << files(name);
    return all;
}

inline bool anyLeft()
{
    for (const QString& f : allFiles())
        if (QFile::exists(f))
            return true;
    return false;
}

inline void removeAll()
{
    for (const QString& f : allFiles())
        QFile::remove(f);
}

} // namespace ExchangeSegments
