// The display lookup table: its lattice, its order, and what it refuses.
#include <TIcc.h>

#include <lcms2.h>

#include <gtest/gtest.h>

#include <cmath>

TEST(IccLookupTable, SrgbIntoItselfGivesTheLatticeRedFastest)
{
    constexpr int n = 5;
    const std::vector<float> table = TIcc::lookupTable(TIcc::sRGB(), n);
    ASSERT_EQ(table.size(), size_t(n * n * n * 3));
    for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
            for (int r = 0; r < n; ++r) {
                const float* p = &table[size_t(((b * n + g) * n + r) * 3)];
                // Point i stands for (i / (n - 1))^2.
                EXPECT_NEAR(p[0], std::pow(r / float(n - 1), 2.0f), 1e-4f);
                EXPECT_NEAR(p[1], std::pow(g / float(n - 1), 2.0f), 1e-4f);
                EXPECT_NEAR(p[2], std::pow(b / float(n - 1), 2.0f), 1e-4f);
            }
}

TEST(IccLookupTable, OnlyRgbProfilesGiveATable)
{
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE gray = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(gray, nullptr, &size);
    QByteArray grayBytes(int(size), '\0');
    cmsSaveProfileToMem(gray, grayBytes.data(), &size);
    cmsCloseProfile(gray);

    EXPECT_TRUE(TIcc::lookupTable(grayBytes, 9).empty());
    EXPECT_TRUE(TIcc::lookupTable(QByteArray("acsp") + QByteArray(300, '\x01'), 9).empty());
    EXPECT_TRUE(TIcc::lookupTable(QByteArray(), 9).empty());
    // Adobe RGB holds every sRGB colour: black and white stay, red loses
    // chroma in its numbers.
    const std::vector<float> adobe = TIcc::lookupTable(TIcc::adobeRGB(), 9);
    ASSERT_EQ(adobe.size(), size_t(9 * 9 * 9 * 3));
    EXPECT_NEAR(adobe[0], 0.0f, 1e-3f);
    EXPECT_NEAR(adobe[adobe.size() - 1], 1.0f, 1e-3f);
    const float* red = &adobe[8 * 3];
    EXPECT_LT(red[0], 0.9f);
    EXPECT_GT(red[0], red[1]);
}
