#include "PSImageData.h"

#include <IPCParams.h>

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(PSImageData, TheWorkingSizeFollowsTheGpu)
{
    struct Case {
        const char* renderer;
        int maxTexture, limit;
    } cases[] = {
        {"NVIDIA GeForce RTX 3070", 32768, 8000},
        {"NVIDIA GeForce RTX 3070", 16384, 8000},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 16000, 4000},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 8192, 4000},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 8001, 4000},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 8000, 2000},
        {"", 4096, 2000},
        {"", 16384, 8000},
        {"Intel(R) HD Graphics 4600", 16384, 4000},
        {"intel hd graphics 4600", 3000, 3000},
        {"INTEL HD 4600", 1024, 2000},
        {"Intel(R) HD Graphics 5500", 16384, 8000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PSImageData::workingSizeLimit(QString::fromLatin1(c.renderer), c.maxTexture), c.limit)
            << c.renderer << " " << c.maxTexture;
}

TEST(PSImageData, LargeHostImagesAreReducedToTheLimit)
{
    const cv::Mat host(3000, 5000, CV_16UC3, cv::Scalar::all(1000));
    EXPECT_EQ(PSImageData::toWorkingSize(host, PSImageData::workingSizeLimit("", 8192)).size(), cv::Size(4000, 2400));
    EXPECT_EQ(PSImageData::toWorkingSize(host, PSImageData::workingSizeLimit("", 16384)).size(), cv::Size(5000, 3000));
    EXPECT_EQ(PSImageData::toWorkingSize(host, 5000).size(), cv::Size(5000, 3000)) << "the limit itself is kept";
}

namespace {

// A host rectangle of 50 x 30 in exchange segments held by the test.
struct Host {
    IPCParams params{};
    std::vector<uchar> planes[3];
    char presetBlock[100] = "{first}";
    Host()
    {
        params.width = 50;
        params.height = 30;
        params.rowBytes = ipcRowBytes(50);
        params.bytesPerSample = 2;
        for (auto& p : planes)
            p.assign(std::size_t(params.rowBytes) * 30 + 64, 0xFF);
    }
    PSImageData data() { return PSImageData(params, planes[0].data(), planes[1].data(), planes[2].data(), nullptr, presetBlock); }
    ushort sample(int p, int x, int y) const
    {
        ushort v;
        std::memcpy(&v, planes[p].data() + y * params.rowBytes + 2 * x, 2);
        return v;
    }
};

} // namespace

TEST(PSImageData, AReducedPaintingGoesBackAtTheHostsSize)
{
    Host host;
    PSImageData data = host.data();
    QSignalSpy saved(&data, &PSImageData::psImageSaved);
    EXPECT_TRUE(data.savePSImage(TSMat(cv::Mat(15, 25, CV_8UC3, cv::Scalar(0, 0, 255)))));
    ASSERT_EQ(saved.count(), 1);
    EXPECT_TRUE(saved.at(0).at(0).toBool());
    EXPECT_EQ(host.sample(0, 49, 29), 32767) << "red over the whole host rectangle";
    EXPECT_EQ(host.sample(2, 49, 29), 0);

    Host untouched;
    PSImageData empty = untouched.data();
    QSignalSpy failed(&empty, &PSImageData::psImageSaved);
    EXPECT_FALSE(empty.savePSImage(TSMat()));
    ASSERT_EQ(failed.count(), 1);
    EXPECT_FALSE(failed.at(0).at(0).toBool());
    EXPECT_EQ(untouched.sample(0, 0, 0), 0xFFFF) << "nothing written";
}

TEST(PSImageData, ThePresetIdIsKeptToItsBlock)
{
    Host host;
    PSImageData data = host.data();
    EXPECT_EQ(data.getPresetIdFromPS(), QStringLiteral("{first}"));
    data.savePresetIdToPS(QString(150, QLatin1Char('g')));
    EXPECT_EQ(data.getPresetIdFromPS(), QString(99, QLatin1Char('g'))) << "99 characters and a terminator";
    EXPECT_EQ(host.params.presetId[0], 0) << "the record itself waits for the end of the run";
}

TEST(PSImageData, TheRecordIsUsedAsItWasChecked)
{
    Host host;
    PSImageData data = host.data();
    // What the plug-in's process may write after the check.
    host.params.rowBytes = 1 << 20;
    host.params.width = 1 << 19;
    host.params.height = 1 << 19;
    host.params.isGray = 1;
    EXPECT_TRUE(data.savePSImage(TSMat(cv::Mat(30, 50, CV_8UC3, cv::Scalar(0, 0, 255)))));
    host.params.rowBytes = ipcRowBytes(50);
    EXPECT_EQ(host.sample(0, 49, 29), 32767) << "written in the checked layout";
    EXPECT_EQ(host.sample(2, 49, 29), 0) << "all three planes";
    EXPECT_EQ(data.readImage().size(), cv::Size(50, 30));
}
