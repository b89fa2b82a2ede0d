#include "ExchangeLock.h"
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
    // The files of a segment's payload and info objects.
    static std::string payloadFile(const std::string& name)
    {
        return IpcSegment::kShmFolder + IpcSegment::payloadName(name.c_str());
    }
    static std::string infoFile(const std::string& name)
    {
        return IpcSegment::kShmFolder + IpcSegment::infoName(name.c_str());
    }
    static off_t fileSize(const std::string& path)
    {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
    }
    void TearDown() override
    {
        for (const char* what : {"param", "plane", "icc"}) {
            bip::shared_memory_object::remove(IpcSegment::payloadName(name(what).c_str()).c_str());
            bip::shared_memory_object::remove(IpcSegment::infoName(name(what).c_str()).c_str());
        }
        bip::shared_memory_object::remove(ExchangeLock::name(name("lock").c_str()).c_str());
    }
};

} // namespace

TEST_F(Segments, TheParameterSegmentIs404BytesWithA24ByteInfoRecord)
{
    const std::string n = name("param");
    CVMIPC<IPCParams> params(n.c_str(), 1);
    EXPECT_EQ(fileSize(payloadFile(n)), 404);
    EXPECT_EQ(fileSize(infoFile(n)), 24);
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
    EXPECT_EQ(fileSize(payloadFile(n)), -1) << "nothing is left behind";
    EXPECT_EQ(fileSize(infoFile(n)), -1);
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
    EXPECT_EQ(fileSize(infoFile(n)), 20);
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
        bip::shared_memory_object info(bip::open_only, IpcSegment::infoName(n.c_str()).c_str(), bip::read_write);
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
    EXPECT_EQ(fileSize(payloadFile(n)), -1);
    EXPECT_EQ(fileSize(infoFile(n)), -1);
    EXPECT_EQ(created.unlock(), IPC_ERR_NO_INFO);
}

TEST_F(Segments, OnlyTheirUserMayOpenThem)
{
    const std::string n = name("plane");
    IpcSegment created(n.c_str(), 1, 64);
    for (const std::string& f : {payloadFile(n), infoFile(n)}) {
        struct stat st {};
        ASSERT_EQ(stat(f.c_str(), &st), 0) << f;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << f;
        EXPECT_EQ(st.st_uid, geteuid()) << f;
    }
    EXPECT_NE(IpcSegment::payloadName(n.c_str()).find(n + "-" + std::to_string(geteuid())), std::string::npos)
        << "the name carries the user's id";
}

TEST_F(Segments, ANameInTheWayIsAClearRefusalAndAnotherUsersSegmentIsNotAttached)
{
    // A directory under the name: nothing this side can open or remove, as
    // another user's file would be.
    const std::string n = name("plane");
    ASSERT_EQ(mkdir(infoFile(n).c_str(), 0700), 0);
    try {
        IpcSegment created(n.c_str(), 1, 64);
        FAIL() << "created over a name in the way";
    } catch (const IpcError& e) {
        EXPECT_EQ(e.code(), IPC_ERR_NAME_TAKEN);
        EXPECT_NE(std::string(e.what()).find(infoFile(n)), std::string::npos) << e.what();
    }
    rmdir(infoFile(n).c_str());

    // Segments another user made under our names are not an exchange of ours.
    IpcSegment planted(n.c_str(), 1, 64);
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    ASSERT_EQ(chown(payloadFile(n).c_str(), 65534, 65534), 0);
    try {
        IpcSegment attached(n.c_str(), 1, 0);
        FAIL() << "attached to another user's segment";
    } catch (const IpcError& e) {
        EXPECT_EQ(e.code(), IPC_ERR_ATTACH);
    }
}

TEST_F(Segments, DestroyLeavesNamesThatALaterExchangeMadeAlone)
{
    const std::string n = name("plane");
    IpcSegment old(n.c_str(), 1, 64);
    IpcSegment reader(n.c_str(), 1, 0);
    IpcSegment fresh(n.c_str(), 1, 128); // the names now stand for new objects
    reader.destroy();
    EXPECT_EQ(fileSize(payloadFile(n)), 128 + 16) << "the old reader removes nothing of the new exchange";
    EXPECT_EQ(IpcSegment(n.c_str(), 1, 0).elementCount(), 128u);
    fresh.destroy();
    EXPECT_EQ(fileSize(payloadFile(n)), -1);
}

TEST_F(Segments, OneExchangeAtATimePerUserAndACrashedHolderBlocksNothing)
{
    const std::string base = name("lock");
    const std::string file = IpcSegment::kShmFolder + ExchangeLock::name(base.c_str());
    {
        ExchangeLock first(base.c_str());
        ExchangeLock::sweep(base.c_str());
        struct stat st {};
        ASSERT_EQ(stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        try {
            ExchangeLock second(base.c_str());
            FAIL() << "a second exchange while one runs";
        } catch (const IpcError& e) {
            EXPECT_EQ(e.code(), IPC_ERR_BUSY);
            EXPECT_NE(std::string(e.what()).find("running"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(fileSize(file), -1) << "the name goes with its holder";

    // A holder that dies holding it.
    const pid_t child = fork();
    if (child == 0) {
        new ExchangeLock(base.c_str());
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(fileSize(file), 0) << "left behind";
    ExchangeLock::sweep(base.c_str());
    EXPECT_EQ(fileSize(file), -1) << "swept: nobody holds it";
    EXPECT_NO_THROW(ExchangeLock after(base.c_str()));
}
