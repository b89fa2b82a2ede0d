#include "HostExchange.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

HostExchange::HostExchange(int width, int height, bool gray, const void* profile, std::int32_t profileSize,
                           const char* presetId, int dialogMode)
    : m_rowBytes(ipcRowBytes(width)), m_gray(gray)
{
    m_param.reset(new CVMIPC<IPCParams>(IPCPARAM, 1));
    m_record = m_param->data();
    IPCParams* p = m_record;
    if (profile && profileSize > 0) {
        m_icc.reset(new IpcSegment(IPCSRCICC, 1, std::uint64_t(profileSize) + kIpcIccSlack));
        std::memcpy(m_icc->payload(), profile, std::size_t(profileSize));
        p->iccSize = profileSize;
    } else {
        m_icc.reset(new IpcSegment(IPCSRCICC, 1, kIpcNoIccCount));
        p->iccSize = 0;
    }
    ipcCopyText(p->presetId, sizeof p->presetId, presetId ? presetId : "");
    p->dialogMode = std::uint8_t(dialogMode);
    p->status = IPC_STATUS_PENDING;
    p->message[0] = 0;
    p->width = width;
    p->height = height;
    p->isGray = gray ? 1 : 0;
    p->bytesPerSample = 2;
    p->rowBytes = m_rowBytes;

    const char* const names[3] = {IPCPLANE0, IPCPLANE1, IPCPLANE2};
    const std::uint64_t planeBytes = std::uint64_t(m_rowBytes) * std::uint64_t(height);
    for (int i = 0; i < 3; ++i) {
        m_planes[i].reset(new IpcSegment(names[i], 1, planeBytes + kIpcPlaneSlack));
        std::memset(m_planes[i]->payload(), 0xFF, planeBytes);
    }
}

HostExchange::~HostExchange()
{
    if (m_icc)
        m_icc->destroy();
    for (int i = 2; i >= 0; --i)
        if (m_planes[i])
            m_planes[i]->destroy();
    if (m_param)
        m_param->destroy();
}

bool HostExchange::launch(const std::string& program, const std::string& folder, bool quiet)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    char name[] = "Velmora_Strovane";
    char* argv[] = {name, nullptr};
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    m_program = error == 0 ? pid : 0;
    return m_program != 0;
}

bool HostExchange::processGone(pid_t pid)
{
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid)
        return true;
    if (r == 0)
        return false;
    return kill(pid, 0) != 0 && errno == ESRCH;
}

void HostExchange::sleepMs(int ms)
{
    timespec t{ms / 1000, long(ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

bool HostExchange::answered()
{
    if (__atomic_load_n(&m_record->status, __ATOMIC_ACQUIRE) != IPC_STATUS_PENDING)
        return true;
    if (m_program == 0 || processGone(m_program)) {
        m_program = 0;
        return true;
    }
    return false;
}

int HostExchange::status() const
{
    return __atomic_load_n(&m_record->status, __ATOMIC_ACQUIRE);
}

std::string HostExchange::message() const
{
    char message[sizeof m_record->message];
    ipcCopyText(message, sizeof message, m_record->message);
    return message;
}

std::string HostExchange::presetId() const
{
    // The program wrote the id before its status: taken whether or not the
    // lock was got.
    m_param->tryLock();
    char id[sizeof m_record->presetId];
    ipcCopyText(id, sizeof id, m_record->presetId);
    m_param->unlock();
    return id;
}

std::vector<IpcObjectFile> HostExchange::files() const
{
    std::vector<IpcObjectFile> all{m_lock.file()};
    const IpcSegment* segments[] = {m_param.get(), m_icc.get(), m_planes[0].get(), m_planes[1].get(),
                                    m_planes[2].get()};
    for (const IpcSegment* s : segments)
        if (s)
            for (const IpcObjectFile& f : s->files())
                all.push_back(f);
    return all;
}

void HostExchange::dropProfile()
{
    if (m_icc)
        m_icc->destroy();
    m_icc.reset();
}

void HostExchange::reap(int ms)
{
    for (int waited = 0; m_program && waited < ms && !processGone(m_program); waited += 50)
        sleepMs(50);
    m_program = 0;
}
