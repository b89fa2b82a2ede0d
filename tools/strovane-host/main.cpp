// strovane-host: one exchange with the painting program, as the plug-ins
// run it, for any host that has an image file: scripts, batches, other
// programs. Exit status 0 applied (the preset id on stdout), 1 cancelled,
// 2 failed; one line on stderr per step or failure.
#include "HostArguments.h"
#include "HostImage.h"
#include "Interruption.h"

#include <CancelGuard.h>
#include <HostExchange.h>
#include <ProgramLocation.h>

#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

enum Exit { kApplied = 0, kCancelled = 1, kFailed = 2 };

constexpr int kWaitTickMs = 150;
// The program lets go of its single-instance guard as it ends: a batch's
// next run waits for that, or the next copy would be refused.
constexpr int kEndMs = 60000;
constexpr int kStopMs = 5000;

int fail(const QString& message)
{
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "strovane-host: %s\n", qPrintable(line.trimmed()));
    return kFailed;
}

void say(const QString& message)
{
    std::fprintf(stderr, "strovane-host: %s\n", qPrintable(message));
}

// Before the painting: an OUT that cannot be written is said at once.
QString outProblem(const QString& out)
{
    const QFileInfo info(out);
    if (info.isSymLink())
        return QStringLiteral("%1 is a symbolic link; it is not written through").arg(out);
    if (info.isDir())
        return QStringLiteral("%1 is a folder: OUT names the file to write").arg(out);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(out);
    if (info.exists() && !info.isWritable())
        return QStringLiteral("%1 is not writable").arg(out);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("the folder %1 does not exist").arg(info.absolutePath());
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is not writable").arg(info.absolutePath());
    return QString();
}

// The format OUT's name says ("jpg", "png", "tif"), empty for another name.
QString formatNamed(const QString& out)
{
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return QStringLiteral("tif");
    return suffix == QLatin1String("png") ? suffix : QString();
}

// Ends the program the host will no longer wait for.
void stopProgram(HostExchange& exchange)
{
    const pid_t program = exchange.program();
    if (program <= 0)
        return;
    kill(program, SIGTERM);
    for (int waited = 0; waited < kStopMs && !HostExchange::processGone(program); waited += 50)
        HostExchange::sleepMs(50);
    if (!HostExchange::processGone(program)) {
        kill(program, SIGKILL);
        exchange.reap(kStopMs);
    }
}

} // namespace

int main(int argc, char** argv)
{
    HostArguments args;
    QString error;
    if (!HostArguments::parse(argc, argv, &args, &error))
        return fail(error + QStringLiteral(" (strovane-host --help for the usage)"));
    if (args.help) {
        std::fputs(HostArguments::usage(), stdout);
        return kApplied;
    }

    HostImage image;
    if (!image.read(args.in, &error))
        return fail(error);
    if (args.hasSelection && !image.select(args.selection, &error))
        return fail(error);
    const QString problem = outProblem(args.out);
    if (!problem.isEmpty())
        return fail(problem);

    Interruption::watch();
    std::unique_ptr<HostExchange> exchange;
    try {
        exchange.reset(new HostExchange(image.area().width(), image.area().height(), image.isGray(),
                                        image.profile().constData(), std::int32_t(image.profile().size()),
                                        args.presetId.toLocal8Bit().constData(), args.silent ? 0 : 1));
    } catch (const IpcError& e) {
        return fail(e.code() == IPC_ERR_BUSY ? QString::fromLocal8Bit(e.what())
                                             : QStringLiteral("the image cannot be handed to the painting program: %1")
                                                   .arg(QString::fromLocal8Bit(e.what())));
    }
    image.toExchange(*exchange);

    // Installed beside the program, in the build tree and in an install alike.
    const ProgramLocation location = ProgramLocation::find({"."});
    if (!exchange->launch(location.program, location.folder, !args.verbose))
        return fail(QStringLiteral("the painting program cannot be started: %1")
                        .arg(QString::fromStdString(location.program)));
    say(QStringLiteral("painting %1 (%2)%3 with %4").arg(args.in, image.description(),
        args.silent ? QStringLiteral(" silently") : QString(), QString::fromStdString(location.program)));
    {
        // Ended from outside (SIGKILL), the host leaves this guard to stop
        // the program and remove the exchange's names.
        CancelGuard guard(exchange->program(), exchange->files());
        while (!exchange->answered() && !Interruption::happened())
            HostExchange::sleepMs(kWaitTickMs);
    }
    if (Interruption::happened()) {
        stopProgram(*exchange);
        say(QStringLiteral("interrupted: the painting program was stopped, nothing written"));
        return kCancelled;
    }
    exchange->dropProfile();
    switch (exchange->status()) {
    case IPC_STATUS_DONE:
        break;
    case IPC_STATUS_CANCELLED:
        exchange->reap(kEndMs);
        say(QStringLiteral("cancelled, nothing written"));
        return kCancelled;
    case IPC_STATUS_FAILED: {
        const QString message = QString::fromLocal8Bit(exchange->message().c_str());
        exchange->reap(kEndMs);
        return fail(QStringLiteral("the painting program failed: %1").arg(message));
    }
    default:
        return fail(QStringLiteral("the painting program ended without answering"));
    }

    image.fromExchange(*exchange);
    const std::string presetId = exchange->presetId();
    exchange->reap(kEndMs);
    if (!image.write(args.out, &error))
        return fail(error);
    // IN's format, whatever OUT's name says: a name that says another is told.
    const QString named = formatNamed(args.out);
    if (!named.isEmpty() && named != image.format())
        say(QStringLiteral("wrote %1 as %2, IN's format, though its name says %3")
                .arg(args.out, image.format().toUpper(), named.toUpper()));
    else
        say(QStringLiteral("wrote %1").arg(args.out));
    std::printf("%s\n", presetId.c_str());
    return kApplied;
}
