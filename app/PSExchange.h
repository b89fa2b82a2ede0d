#pragma once

#include <IPCParams.h>
#include <IpcSegment.h>

#include <QString>

#include <memory>

// The program's side of one exchange with the filter plug-in: attach to
// its segments, hold their locks while the user works, check what the
// plug-in wrote (another process: nothing in the record is trusted beyond
// the sizes the system reports; the record is copied once, checked, and
// only the copy is used), and write the outcome back.
class PSExchange {
public:
    enum class Outcome {
        Ready,     // attached, locked, checked
        NoPlugin,  // nobody is waiting: nothing was touched
        Refused,   // status 2 and a message were written for the plug-in
    };

    PSExchange();
    ~PSExchange();

    Outcome attach();
    // Why attach() did not give Ready.
    QString error() const { return m_error; }

    // The record as it was checked at attach.
    const IPCParams& record() const { return m_record; }
    uchar* plane(int i) const;
    uchar* profile() const;
    // The program's copy of the preset id: 99 characters and a terminator.
    char* presetBlock() { return m_presetBlock; }
    bool silent() const { return m_record.dialogMode == 0; }

    // Status 2 with the reason for the plug-in, and the segments removed.
    Outcome refuse(const QString& why);

    // The process that started us (the host) has ended.
    bool hostGone() const;
    // Removes the names of the segments while they are still ours; the
    // mappings stay until destroy().
    void removeNames();

    // After the event loop: releases the plane locks, writes the outcome
    // (the preset id before the status), releases the parameter lock.
    // errorCode: 0 done, 1 cancelled, else failed.
    void finish(int errorCode);
    // Unmaps and removes every segment (the plug-in keeps its views).
    void destroy();

private:
    IPCParams* params() const { return m_param ? m_param->data() : nullptr; }
    bool lock(IpcSegment& segment);

    std::unique_ptr<CVMIPC<IPCParams>> m_param;
    std::unique_ptr<IpcSegment> m_planes[3];
    std::unique_ptr<IpcSegment> m_icc;
    IPCParams m_record{};
    char m_presetBlock[sizeof(IPCParams::presetId)] = {};
    QString m_error;
    qint64 m_host = 0;
};
