#include "TSafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TSafeFile {

bool openForReading(const QString& path, QFile* file, QString* error)
{
    // Non-blocking: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = S_ISDIR(st.st_mode) ? QStringLiteral("%1 is a folder, not a file").arg(path)
                                     : QStringLiteral("%1 is not a regular file (a device, pipe or socket)").arg(path);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = QStringLiteral("cannot open %1: %2").arg(path, file->errorString());
        return false;
    }
    return true;
}

bool readSmall(const QString& path, qint64 limit, QByteArray* data, QString* error)
{
    QFile file;
    if (!openForReading(path, &file, error))
        return false;
    if (file.size() > limit) {
        *error = QStringLiteral("%1 is larger than %2 bytes, more than such a file holds").arg(path).arg(limit);
        return false;
    }
    // The size may change while it is read: never more than the limit.
    *data = file.read(limit + 1);
    if (data->size() > limit) {
        *error = QStringLiteral("%1 is larger than %2 bytes, more than such a file holds").arg(path).arg(limit);
        return false;
    }
    return true;
}

QString writeProblem(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("%1 is a symbolic link; the program writes no file through a link").arg(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(path);
    return QString();
}

bool write(const QString& path, const QByteArray& data, QString* error)
{
    const QString problem = writeProblem(path);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    auto failed = [&](const QString& why) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, why);
        return false;
    };
    // Unbuffered, so that a failing write reports its own reason: a
    // buffered one fails only on closing, where the reason is lost.
    // A new file is the user's alone; a replaced one keeps the mode its
    // owner gave it (QSaveFile carries it over).
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(file.errorString());
    if (isNew && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failed(why);
    }
    // A write that fills the disk half way returns what it wrote; the next
    // one says why.
    for (qint64 written = 0; written < data.size();) {
        const qint64 n = file.write(data.constData() + written, data.size() - written);
        if (n <= 0) {
            const QString why = file.errorString();
            file.cancelWriting();
            return failed(why);
        }
        written += n;
    }
    errno = 0;
    if (!file.commit())
        return failed(errno ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString());
    return true;
}

QString samePath(const QFile& file)
{
    return QStringLiteral("/proc/self/fd/%1").arg(file.handle());
}

} // namespace TSafeFile
