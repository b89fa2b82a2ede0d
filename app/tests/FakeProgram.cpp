// Stands in for the painting program where a test needs a program that
// misbehaves towards the host. STROVANE_FAKE_ANSWER says how:
//   fail   status 2 with a message
//   crash  ends without answering (abort)
//   lying  status 0 after writing sizes and a gray flag that are not the
//          host's into the record
#include <IPCParams.h>
#include <IpcSegment.h>

#include <cstdlib>
#include <cstring>
#include <string>

int main()
{
    const char* how = std::getenv("STROVANE_FAKE_ANSWER");
    const std::string answer = how ? how : "";
    if (answer == "crash")
        std::abort();
    CVMIPC<IPCParams> param(IPCPARAM, 0);
    IPCParams* p = param.data();
    if (answer == "fail") {
        ipcCopyText(p->message, sizeof p->message, "The painting failed: the test said so.");
        __atomic_store_n(&p->status, std::uint8_t(IPC_STATUS_FAILED), __ATOMIC_RELEASE);
    } else if (answer == "lying") {
        p->rowBytes = 1 << 24;
        p->width = 1 << 20;
        p->height = 1 << 20;
        p->isGray = !p->isGray;
        ipcCopyText(p->presetId, sizeof p->presetId, "lying");
        __atomic_store_n(&p->status, std::uint8_t(IPC_STATUS_DONE), __ATOMIC_RELEASE);
    }
    return 0;
}
