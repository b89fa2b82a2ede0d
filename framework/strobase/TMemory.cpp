#include "TMemory.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <sys/resource.h>

namespace {

// A value of the form "Key:   123 kB" from a /proc file, in bytes; -1 when
// it is not there.
qint64 procValue(const char* file, const char* key)
{
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : f.read(1 << 16).split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        const QList<QByteArray> parts = line.mid(prefix.size()).simplified().split(' ');
        bool ok = false;
        const qint64 value = parts.value(0).toLongLong(&ok);
        return ok ? value * (parts.value(1) == "kB" ? 1024 : 1) : -1;
    }
    return -1;
}

qint64 fileNumber(const char* file)
{
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 value = f.read(64).trimmed().toLongLong(&ok);
    return ok ? value : -1; // "max" reads as none
}

} // namespace

namespace TMemory {

qint64 available(QString* why)
{
    qint64 result = std::numeric_limits<qint64>::max();
    auto limitTo = [&](qint64 bytes, const QString& what) {
        if (bytes >= 0 && bytes < result) {
            result = bytes;
            if (why)
                *why = what;
        }
    };
    limitTo(procValue("/proc/meminfo", "MemAvailable"), QStringLiteral("available memory"));
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        // The GL driver reserves address space of its own (its threads'
        // stacks, its code) beyond what it uses.
        constexpr qint64 kDriverReserve = qint64(1) << 30;
        const qint64 used = std::max<qint64>(0, procValue("/proc/self/status", "VmSize"));
        limitTo(std::max<qint64>(0, qint64(limit.rlim_cur) - used - kDriverReserve),
                QStringLiteral("the address-space limit"));
    }
    if (getrlimit(RLIMIT_DATA, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const qint64 used = std::max<qint64>(0, procValue("/proc/self/status", "VmData"));
        limitTo(std::max<qint64>(0, qint64(limit.rlim_cur) - used), QStringLiteral("the data-size limit"));
    }
    const qint64 cgroupMax = fileNumber("/sys/fs/cgroup/memory.max");
    if (cgroupMax >= 0)
        limitTo(std::max<qint64>(0, cgroupMax - std::max<qint64>(0, fileNumber("/sys/fs/cgroup/memory.current"))),
                QStringLiteral("the control group's memory limit"));
    return result;
}

QString describe(qint64 bytes)
{
    if (bytes >= (qint64(1) << 30))
        return QStringLiteral("%1 GB").arg(double(bytes) / double(qint64(1) << 30), 0, 'f', 1);
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
}

qint64 parseSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*([0-9]+(?:\\.[0-9]+)?)\\s*([kKmMgGtT]?)[bB]?\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return -1;
    const QString unit = m.captured(2).toUpper();
    const int shift = unit == QLatin1String("K") ? 10 : unit == QLatin1String("M") ? 20 : unit == QLatin1String("G") ? 30
                    : unit == QLatin1String("T")  ? 40
                                                  : 0;
    const double value = m.captured(1).toDouble() * double(qint64(1) << shift);
    return value < 9.0e18 ? qint64(value) : -1;
}

} // namespace TMemory
