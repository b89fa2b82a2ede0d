#include "IPCParams.h"
#include "IpcSegment.h"

#include <boost/interprocess/mapped_region.hpp>
#include <boost/interprocess/shared_memory_object.hpp>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bip = boost::interprocess;

namespace {

// Names of this test process's own, so that a real exchange is never hit.
class Segments : public ::testing::Test {
protected:
    std::string name(const char* what) const { return "__strovaneTest_" + std::to_string(getpid()) + "_" + what; }
    static off_t shmSize(const std::string& name)
    {
        struct stat st {};
        return stat(("/dev/shm/" + name).c_str(), &st) == 0 ? st.st_size : -1;
    }
    void TearDown() override
    {
        for (const char* what : {"param", "plane", "icc"}) {
            bip::shared_memory_object::remove(name(what).c_str());
            bip::shared_memory_object::remove(IpcSegment::infoName(name(what).c_str()).c_str());
        }
    }
};

} // namespace

TEST_F(Segments, TheParameterSegmentIs404BytesWithA24ByteInfoRecord)
{
    const std::string n = name("param");
    CVMIPC<IPCParams> params(n.c_str(), 1);
    EXPECT_EQ(shmSize(n), 404);
    EXPECT_EQ(shmSize(n + "Info"), 24);
    EXPECT_EQ(params.elementCount(), 1u);
    EXPECT_TRUE(params.guardIntact());
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(params.data());
    for (int i = 0; i < 388; ++i)
        ASSERT_EQ(bytes[i], 0) << "a new payload reads zero at " << i;
    for (int i = 388; i < 404; ++i)
        EXPECT_EQ(bytes[i], 8) << "the end guard at " << i;
}

TEST_F(Segments, AttachingReadsTheCountAndSharesThePayload)
{
    const std::string n = name("plane");
    IpcSegment created(n.c_str(), 1, 1000);
    static_cast<char*>(created.payload())[999] = 42;
    IpcSegment attached(n.c_str(), 1, 0);
    EXPECT_EQ(attached.elementCount(), 1000u);
    EXPECT_EQ(attached.mappedPayloadBytes(), 1016u);
    EXPECT_EQ(static_cast<char*>(attached.payload())[999], 42);
    EXPECT_TRUE(attached.guardIntact());
    static_cast<unsigned char*>(created.payload())[1010] = 9;
    EXPECT_FALSE(attached.guardIntact());
}

TEST_F(Segments, AttachingToAMissingSegmentFailsWithMinus1004)
{
    const std::string n = name("icc");
    try {
        IpcSegment missing(n.c_str(), 1, 0);
        FAIL() << "attached to nothing";
    } catch (const IpcError& e) {
        EXPECT_EQ(e.code(), IPC_ERR_ATTACH);
    }
    EXPECT_EQ(shmSize(n), -1) << "nothing is left behind";
    EXPECT_EQ(shmSize(n + "Info"), -1);
}

TEST_F(Segments, ACreatorReplacesLeftoversWhileAnOldReaderKeepsItsView)
{
    const std::string n = name("plane");
    IpcSegment old(n.c_str(), 1, 64);
    static_cast<char*>(old.payload())[0] = 1;
    IpcSegment reader(n.c_str(), 1, 0);
    IpcSegment fresh(n.c_str(), 1, 128); // the old objects are removed first
    EXPECT_EQ(static_cast<char*>(fresh.payload())[0], 0);
    EXPECT_EQ(static_cast<char*>(reader.payload())[0], 1) << "the old view stays";
    EXPECT_EQ(IpcSegment(n.c_str(), 1, 0).elementCount(), 128u);
}

TEST_F(Segments, ACompactInfoRecordOfA32BitCreatorReadsRightOnThisSide)
{
    const std::string n = name("plane");
    IpcSegment created(n.c_str(), 1, 5000, IpcInfoLayout::Compact);
    EXPECT_EQ(shmSize(n + "Info"), 20);
    IpcSegment attached(n.c_str(), 1, 0);
    EXPECT_EQ(attached.elementCount(), 5000u);
    EXPECT_TRUE(attached.guardIntact());
    EXPECT_TRUE(attached.tryLock()) << "bytes 8 to 19 read as a free lock";
    EXPECT_EQ(attached.unlock(), 0);
}

TEST_F(Segments, TheLockIsRecursiveForItsHolderAndClosedToOthers)
{
    const std::string n = name("param");
    IpcSegment a(n.c_str(), 1, 16);
    IpcSegment b(n.c_str(), 1, 0);
    ASSERT_TRUE(a.tryLock());
    EXPECT_TRUE(b.tryLock()) << "the same thread again";
    bool other = true;
    std::thread([&] { other = b.tryLock(); }).join();
    EXPECT_FALSE(other);
    int unlockElsewhere = 0;
    std::thread([&] { unlockElsewhere = b.unlock(); }).join();
    EXPECT_EQ(unlockElsewhere, IPC_ERR_UNLOCK);
    EXPECT_EQ(a.unlock(), 0);
    std::thread([&] { other = b.tryLock(); }).join();
    EXPECT_FALSE(other) << "still held once";
    EXPECT_EQ(a.unlock(), 0);
    std::thread([&] {
        other = b.tryLock();
        b.unlock();
    }).join();
    EXPECT_TRUE(other);
    EXPECT_FALSE(b.breakStaleLock()) << "a free lock is left alone";
}

TEST_F(Segments, ALockLeftByACrashedProcessCanBeBrokenAndOnlyThen)
{
    const std::string n = name("param");
    IpcSegment a(n.c_str(), 1, 16);
    ASSERT_TRUE(a.tryLock());
    EXPECT_FALSE(a.breakStaleLock()) << "the holder lives";
    ASSERT_EQ(a.unlock(), 0);

    const pid_t child = fork();
    if (child == 0) {
        IpcSegment c(n.c_str(), 1, 0);
        _exit(c.tryLock() ? 0 : 1); // ends holding it
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(a.tryLock());
    EXPECT_TRUE(a.breakStaleLock());
    EXPECT_TRUE(a.tryLock());
    EXPECT_EQ(a.unlock(), 0);
}

TEST_F(Segments, ACountLargerThanTheObjectFailsTheGuardCheckWithoutReadingPastIt)
{
    const std::string n = name("plane");
    IpcSegment created(n.c_str(), 1, 100);
    {
        bip::shared_memory_object info(bip::open_only, (n + "Info").c_str(), bip::read_write);
        bip::mapped_region region(info, bip::read_write);
        const std::uint64_t lie = 1u << 30;
        std::memcpy(region.get_address(), &lie, sizeof lie);
    }
    IpcSegment attached(n.c_str(), 1, 0);
    EXPECT_EQ(attached.elementCount(), 1u << 30);
    EXPECT_EQ(attached.elementsThatFit(), 100u);
    EXPECT_FALSE(attached.guardIntact());
}

TEST_F(Segments, DestroyRemovesBothNames)
{
    const std::string n = name("icc");
    IpcSegment created(n.c_str(), 1, 16);
    created.destroy();
    EXPECT_EQ(shmSize(n), -1);
    EXPECT_EQ(shmSize(n + "Info"), -1);
    EXPECT_EQ(created.unlock(), IPC_ERR_NO_INFO);
}
