#include "PSExchange.h"

#include <ExchangeLock.h>

#include <QDebug>
#include <QElapsedTimer>

#include <cstring>
#include <sched.h>
#include <unistd.h>

namespace {

const char* const kPlaneNames[3] = {IPCPLANE0, IPCPLANE1, IPCPLANE2};

// The plug-in takes no lock while we start; a lock still held after this
// long belongs to an exchange that is not ours.
constexpr int kLockWaitMs = 10000;

} // namespace

PSExchange::PSExchange() = default;

PSExchange::~PSExchange() = default;

uchar* PSExchange::plane(int i) const
{
    return m_planes[i] ? static_cast<uchar*>(m_planes[i]->payload()) : nullptr;
}

uchar* PSExchange::profile() const
{
    return m_icc ? static_cast<uchar*>(m_icc->payload()) : nullptr;
}

bool PSExchange::lock(IpcSegment& segment)
{
    QElapsedTimer waited;
    waited.start();
    while (!segment.tryLock()) {
        // A holder that crashed never lets go.
        if (segment.breakStaleLock())
            continue;
        if (waited.elapsed() > kLockWaitMs)
            return false;
        sched_yield();
    }
    return true;
}

PSExchange::Outcome PSExchange::refuse(const QString& why)
{
    m_error = why;
    qWarning().noquote() << "Exchange refused:" << why;
    IPCParams* p = params();
    ipcCopyText(p->message, sizeof p->message, why.toLocal8Bit().constData());
    __atomic_store_n(&p->status, std::uint8_t(IPC_STATUS_FAILED), __ATOMIC_RELEASE);
    destroy();
    return Outcome::Refused;
}

PSExchange::Outcome PSExchange::attach()
{
    try {
        m_param.reset(new CVMIPC<IPCParams>(IPCPARAM, 0));
    } catch (const IpcError& e) {
        m_error = QStringLiteral("Started under the Photoshop plug-in's name, but no plug-in is waiting (%1).")
                      .arg(QString::fromLocal8Bit(e.what()));
        m_param.reset();
        return Outcome::NoPlugin;
    }
    qDebug() << "CVMIPC<IPCParams>     paramShMem(IPCPARAM, 0)";
    if (m_param->elementCount() != 1 || m_param->elementsThatFit() < 1) {
        m_error = QStringLiteral("The exchange's parameter segment does not hold one record.");
        m_param.reset();
        return Outcome::NoPlugin;
    }
    if (!lock(*m_param)) {
        m_error = QStringLiteral("The exchange is held by another copy of the program.");
        m_param.reset();
        return Outcome::NoPlugin;
    }
    if (params()->status != IPC_STATUS_PENDING) {
        m_error = QStringLiteral("The exchange is over (status %1): no plug-in is waiting.").arg(params()->status);
        m_param->unlock();
        m_param.reset();
        return Outcome::NoPlugin;
    }

    for (int i = 0; i < 3; ++i) {
        try {
            m_planes[i].reset(new IpcSegment(kPlaneNames[i], 1, 0));
        } catch (const IpcError& e) {
            return refuse(QStringLiteral("missing segment: %1").arg(QString::fromLocal8Bit(e.what())));
        }
    }
    for (auto& plane : m_planes)
        if (!lock(*plane))
            return refuse(QStringLiteral("a plane segment is held by another process"));
    qDebug() << "got PS image planar data!";
    for (int i = 0; i < 3; ++i)
        if (m_planes[i]->elementCount() > m_planes[i]->elementsThatFit())
            return refuse(QStringLiteral("elementCount of %1 exceeds its segment").arg(kPlaneNames[i]));
    for (auto& plane : m_planes)
        if (!plane->guardIntact())
            return refuse(QStringLiteral("IPC memory verify fail"));

    try {
        m_icc.reset(new IpcSegment(IPCSRCICC, 1, 0));
    } catch (const IpcError& e) {
        return refuse(QStringLiteral("missing segment: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (m_icc->elementCount() > m_icc->elementsThatFit())
        return refuse(QStringLiteral("elementCount of %1 exceeds its segment").arg(IPCSRCICC));

    IPCSegmentSizes sizes;
    sizes.iccCount = m_icc->elementCount();
    for (int i = 0; i < 3; ++i)
        sizes.planeCount[i] = m_planes[i]->elementCount();
    // The plug-in may still write into the record: checked and used is one
    // copy of it.
    std::memcpy(&m_record, params(), sizeof m_record);
    if (const char* why = ipcCheckRecord(m_record, sizes))
        return refuse(QString::fromLatin1(why));

    std::memcpy(m_presetBlock, m_record.presetId, sizeof m_presetBlock);
    m_host = getppid();
    return Outcome::Ready;
}

void PSExchange::finish(int errorCode)
{
    IPCParams* p = params();
    if (!p)
        return;
    for (auto& plane : m_planes)
        if (plane)
            plane->unlock();
    std::uint8_t status = IPC_STATUS_DONE;
    if (errorCode == 0) {
        ipcCopyText(p->presetId, sizeof p->presetId, m_presetBlock);
    } else if (errorCode == 1) {
        status = IPC_STATUS_CANCELLED;
    } else {
        ipcCopyText(p->message, sizeof p->message, "unknown error from GUI");
        status = IPC_STATUS_FAILED;
    }
    // The plug-in reads the rest as soon as it sees the status.
    __atomic_store_n(&p->status, status, __ATOMIC_RELEASE);
    m_param->unlock();
}

bool PSExchange::hostGone() const
{
    // Orphans are handed to another parent.
    return m_host != 0 && getppid() != pid_t(m_host);
}

void PSExchange::removeNames()
{
    if (m_icc)
        m_icc->removeNames();
    for (auto& plane : m_planes)
        if (plane)
            plane->removeNames();
    if (m_param)
        m_param->removeNames();
    ExchangeLock::sweep();
}

void PSExchange::destroy()
{
    if (m_icc)
        m_icc->destroy();
    for (int i = 2; i >= 0; --i)
        if (m_planes[i])
            m_planes[i]->destroy();
    if (m_param)
        m_param->destroy();
    m_icc.reset();
    for (auto& plane : m_planes)
        plane.reset();
    m_param.reset();
}
