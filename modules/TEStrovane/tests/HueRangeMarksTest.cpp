#include "THueRangeMarks.h"

#include <gtest/gtest.h>

// A picture in three bands: red, green, grey.
static cv::Mat bands()
{
    cv::Mat m(30, 90, CV_8UC3);
    m.colRange(0, 30).setTo(cv::Scalar(40, 30, 220));
    m.colRange(30, 60).setTo(cv::Scalar(60, 200, 50));
    m.colRange(60, 90).setTo(cv::Scalar(128, 128, 128));
    return m;
}

// How many pixels of a band are marked.
static int marked(const QImage& marks, int band)
{
    int n = 0;
    for (int y = 0; y < marks.height(); ++y)
        for (int x = band * 30; x < band * 30 + 30; ++x)
            n += qAlpha(marks.pixel(x, y)) > 0;
    return n;
}

TEST(HueRangeMarks, HatchTheRangesPixelsOnly)
{
    struct Case {
        int range;
        bool red, green;
    } cases[] = {{0, true, false}, {3, false, true}, {5, false, false}};
    for (const Case& c : cases) {
        const QImage m = THueRangeMarks::marks(bands(), c.range, Qt::white, 480);
        ASSERT_EQ(m.size(), QSize(90, 30));
        EXPECT_EQ(marked(m, 0) > 0, c.red) << c.range;
        EXPECT_EQ(marked(m, 1) > 0, c.green) << c.range;
        EXPECT_EQ(marked(m, 2), 0) << c.range << ": greys belong to no range";
        if (c.red) {
            EXPECT_LT(marked(m, 0), 30 * 30) << "hatched, not filled";
        }
    }
    EXPECT_EQ(THueRangeMarks::marks(bands(), 0, Qt::white, 45).width(), 45) << "reduced to the size asked";
}
