#pragma once

#include "ExchangeLock.h"
#include "IPCParams.h"
#include "IpcSegment.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <sys/types.h>

// The host's side of one exchange, for any plug-in: the record, profile and
// plane segments made and filled, the program started under the name it
// knows plug-ins by and waited for, its answer read. Every name is removed
// when the exchange goes. Throws IpcError when a segment cannot be made,
// and IPC_ERR_BUSY at once while another exchange of this user runs. The
// record is the program's to write: the layout the host uses is the one it
// wrote itself.
class HostExchange {
public:
    // Planes are 16-bit samples 0..32767 of width x height, rowBytes apart,
    // filled with 0xFF until the host writes them; gray uses plane 0 only.
    HostExchange(int width, int height, bool gray, const void* profile, std::int32_t profileSize,
                 const char* presetId, int dialogMode);
    ~HostExchange();
    HostExchange(const HostExchange&) = delete;
    HostExchange& operator=(const HostExchange&) = delete;

    IPCParams& record() const { return *m_record; }
    std::uint8_t* plane(int i) const { return static_cast<std::uint8_t*>(m_planes[i]->payload()); }
    int rowBytes() const { return m_rowBytes; }
    int planeCount() const { return m_gray ? 1 : 3; }

    // Starts program (argv[0] "Velmora_Strovane") in its folder; false when
    // it cannot be started. Quiet: its stdout and stderr go to /dev/null
    // (a command-line host keeps its own streams to itself).
    bool launch(const std::string& program, const std::string& folder, bool quiet = false);
    pid_t program() const { return m_program; }
    // The program has answered or is gone.
    bool answered();
    // The record's status once answered: IPCStatus, or IPC_STATUS_PENDING
    // when the program ended without answering.
    int status() const;
    std::string message() const;
    // The preset id the program wrote back (one try at the record's lock;
    // bounded to the field).
    std::string presetId() const;
    // The profile is not needed once the program has read the image.
    void dropProfile();
    // Waits up to ms for the answered program to end and reaps it.
    void reap(int ms);

    // The files of the lock and of every segment, for a guard that removes
    // them if the host goes without doing so.
    std::vector<IpcObjectFile> files() const;

    // Whether a process of ours (reaped here) or another's has ended.
    static bool processGone(pid_t pid);
    static void sleepMs(int ms);

private:
    ExchangeLock m_lock;
    std::int32_t m_rowBytes;
    bool m_gray;
    std::unique_ptr<CVMIPC<IPCParams>> m_param;
    std::unique_ptr<IpcSegment> m_icc;
    std::unique_ptr<IpcSegment> m_planes[3];
    IPCParams* m_record = nullptr;
    pid_t m_program = 0;
};
