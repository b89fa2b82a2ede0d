#include "passes/PainterPass.h"
#include "passes/StrokePlacement.h"

#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

// A line image as preprocessing makes it: nearly white (0.98) with dark
// lines, as RGBA8.
cv::Mat lineImage(int width, int height)
{
    cv::Mat grey(height, width, CV_8U, cv::Scalar(250));
    cv::line(grey, cv::Point(width / 4, 0), cv::Point(width / 4, height - 1), cv::Scalar(0), 3);
    cv::circle(grey, cv::Point(width * 2 / 3, height / 2), height / 4, cv::Scalar(40), 2);
    cv::GaussianBlur(grey, grey, cv::Size(5, 5), 1.5);
    cv::Mat rgba;
    cv::cvtColor(grey, rgba, cv::COLOR_GRAY2RGBA);
    return rgba;
}

double meanSize(const std::vector<StrokeInstance>& t)
{
    return std::accumulate(t.begin(), t.end(), 0.0, [](double s, const StrokeInstance& i) { return s + i.size; })
        / double(t.size());
}

} // namespace

TEST(StrokePlacement, SameImageSameTable)
{
    const cv::Mat image = lineImage(320, 200);
    const auto a = PainterPass::buildTable(image, 1);
    const auto b = PainterPass::buildTable(image, 1);
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(StrokeInstance)));
}

TEST(StrokePlacement, DensityLevelsChangeCountAndSize)
{
    const cv::Mat image = lineImage(320, 200);
    const auto sparse = PainterPass::buildTable(image, 0);
    const auto normal = PainterPass::buildTable(image, 1);
    const auto dense = PainterPass::buildTable(image, 2);
    EXPECT_LT(sparse.size(), normal.size());
    EXPECT_LT(normal.size(), dense.size());
    EXPECT_GT(meanSize(sparse), meanSize(normal));
    EXPECT_GT(meanSize(normal), meanSize(dense));
    // Out-of-range levels are clamped to the nearest table.
    EXPECT_EQ(PainterPass::buildTable(image, 7).size(), dense.size());
    EXPECT_EQ(PainterPass::buildTable(image, -3).size(), sparse.size());
}

TEST(StrokePlacement, TableIsSortedLargestFirstInNormalisedCoordinates)
{
    const cv::Mat image = lineImage(300, 180);
    const auto t = PainterPass::buildTable(image, 1);
    ASSERT_GT(t.size(), 10u);
    for (size_t i = 1; i < t.size(); ++i)
        ASSERT_GE(t[i - 1].size, t[i].size);
    for (const StrokeInstance& s : t) {
        // Seeds lie inside the image; adjusting a disc may move it a little
        // beyond the edge.
        EXPECT_GT(s.u, -0.05f);
        EXPECT_LT(s.u, 1.05f);
        EXPECT_GT(s.v, -0.05f);
        EXPECT_LT(s.v, 1.05f);
        EXPECT_NEAR(s.size, s.radius / std::sqrt(300.0 * 180.0) * 256.0, 1e-4);
    }
}

TEST(StrokePlacement, DiscsHoldAboutTheTargetInk)
{
    // Uniformly light: discs come out large and alike; near a dark line they
    // shrink.
    cv::Mat light(200, 300, CV_8U, cv::Scalar(230));
    const auto discs = placeStrokes(light, 512);
    ASSERT_GT(discs.size(), 20u);
    double sum = 0, sum2 = 0;
    for (const PlacedDisc& d : discs) {
        sum += d.r;
        sum2 += d.r * d.r;
    }
    const double mean = sum / discs.size(), sd = std::sqrt(std::max(0.0, sum2 / discs.size() - mean * mean));
    EXPECT_LT(sd / mean, 0.15);
    EXPECT_NEAR(mean, std::sqrt(512.0 / (M_PI * 25)), 0.2 * mean) << "r^2 pi x darkness 25 = 512";

    cv::Mat lined = light.clone();
    cv::line(lined, cv::Point(150, 0), cv::Point(150, 199), cv::Scalar(0), 5);
    const auto near = placeStrokes(lined, 512);
    float smallestNearLine = 1e9f;
    for (const PlacedDisc& d : near)
        if (std::fabs(d.x - 150) < 3)
            smallestNearLine = std::min(smallestNearLine, d.r);
    EXPECT_LT(smallestNearLine, mean / 2);
}

TEST(StrokePlacement, EveryInkedPartGetsDiscsWhereverTheGrowthStarts)
{
    // Discs grow from their neighbours and not across blank paper: a part
    // the growth cannot reach, or where it stalls, is seeded again. Each of
    // the four fields, cut off from the others by a blank cross, is covered
    // to about a disc's spacing of its edges.
    cv::Mat image(240, 360, CV_8U, cv::Scalar(200));
    image.colRange(170, 190).setTo(255);
    image.rowRange(110, 130).setTo(255);
    const auto discs = placeStrokes(image, 512);
    const double r = std::sqrt(512.0 / (M_PI * 55));
    const cv::Rect fields[] = {{0, 0, 170, 110}, {190, 0, 170, 110}, {0, 130, 170, 110}, {190, 130, 170, 110}};
    for (const cv::Rect& field : fields) {
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (const PlacedDisc& d : discs) {
            if (!field.contains(cv::Point(int(d.x), int(d.y))))
                continue;
            minX = std::min(minX, d.x), maxX = std::max(maxX, d.x);
            minY = std::min(minY, d.y), maxY = std::max(maxY, d.y);
        }
        const std::string name = "field at " + std::to_string(field.x) + "," + std::to_string(field.y);
        EXPECT_LT(minX, field.x + 4 * r) << name;
        EXPECT_GT(maxX, field.br().x - 4 * r) << name;
        EXPECT_LT(minY, field.y + 4 * r) << name;
        EXPECT_GT(maxY, field.br().y - 4 * r) << name;
    }
}

TEST(StrokePlacement, DegenerateImagesPlaceSafely)
{
    // Too little ink for one stroke: nothing, instead of a division by zero.
    EXPECT_TRUE(placeStrokes(cv::Mat(10, 10, CV_8U, cv::Scalar(250)), 512).empty());
    EXPECT_TRUE(placeStrokes(cv::Mat(), 512).empty());
}

TEST(StrokePlacement, ThinAndTinyImagesGetStrokesAllOver)
{
    // Placed on the image mirrored out to kMinSide and to kMaxAspect: strokes
    // along the whole image, and on both sides of a strip, sized as those of
    // the wider field.
    struct Case {
        int width, height;
    } cases[] = {{1, 400}, {400, 1}, {3, 2000}, {2000, 3}, {2, 2}, {1, 1}, {40, 25}};
    for (const Case& c : cases) {
        const cv::Mat image = c.width >= 40 && c.height >= 25 ? lineImage(c.width, c.height)
                                                              : cv::Mat(c.height, c.width, CV_8UC4, cv::Scalar(120, 120, 120, 255));
        const auto table = PainterPass::buildTable(image, 2);
        ASSERT_GT(table.size(), 4u) << c.width << "x" << c.height;
        float minU = 1e9f, maxU = -1e9f, minV = 1e9f, maxV = -1e9f;
        for (const StrokeInstance& s : table) {
            ASSERT_TRUE(std::isfinite(s.u) && std::isfinite(s.v) && std::isfinite(s.size));
            minU = std::min(minU, s.u), maxU = std::max(maxU, s.u);
            minV = std::min(minV, s.v), maxV = std::max(maxV, s.v);
        }
        EXPECT_LT(minU, 0.1f) << c.width << "x" << c.height;
        EXPECT_GT(maxU, 0.9f) << c.width << "x" << c.height;
        EXPECT_LT(minV, 0.1f) << c.width << "x" << c.height;
        EXPECT_GT(maxV, 0.9f) << c.width << "x" << c.height;
    }
    // Widening keeps the strokes' size in pixels: a strip's strokes are
    // those of its field, whose longest side is the strip's.
    cv::Mat field(250, 2000, CV_8UC4, cv::Scalar(120, 120, 120, 255));
    const auto wide = PainterPass::buildTable(field, 2);
    const auto strip = PainterPass::buildTable(cv::Mat(field, cv::Rect(0, 0, 2000, 3)), 2);
    EXPECT_NEAR(meanSize(strip), meanSize(wide), 0.05 * meanSize(wide));
}

TEST(StrokePlacement, BoxInkFromTheIntegralEqualsTheDirectSum)
{
    cv::Mat ink(97, 131, CV_8U);
    cv::randu(ink, 0, 256);
    cv::Mat darkness, integral;
    cv::subtract(cv::Scalar(255), ink, darkness);
    cv::integral(darkness, integral, CV_32S);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> pos(-10, 140), rad(0.1, 30);
    for (int i = 0; i < 500; ++i) {
        const double x = pos(rng), y = pos(rng), r = rad(rng);
        const double rr = r > 0.5 ? r : 0.5;
        long long direct = 0, count = 0;
        if (rr == 0.5) {
            direct = 255 - ink.at<uchar>(std::clamp(int(std::trunc(y)), 0, 96), std::clamp(int(std::trunc(x)), 0, 130));
            count = 1;
        } else {
            for (int py = std::max(int(std::trunc(y - rr)), 0); py <= std::min(int(std::trunc(y + rr)), 96); ++py)
                for (int px = std::max(int(std::trunc(x - rr)), 0); px <= std::min(int(std::trunc(x + rr)), 130); ++px) {
                    direct += 255 - ink.at<uchar>(py, px);
                    ++count;
                }
        }
        const double expected = count ? r * r * 3.1415925 * (double(direct) / 255.0 / double(count)) * 255.0 : 0.0;
        ASSERT_EQ(discInk(ink, integral, x, y, r), expected) << x << "," << y << " r " << r;
    }
}

TEST(StrokePlacement, BlockedArcsWrapAndSplit)
{
    constexpr double twoPi = 6.283185;
    struct Case {
        const char* name;
        std::vector<Arc> free;
        double childAngle;
        std::vector<Arc> expected;
    };
    // Parent and child of radius 1 touching: half = acos(0.5) = pi/3.
    const double half = std::acos(0.5);
    const Case cases[] = {
        {"split in the middle", {{0, twoPi}}, M_PI, {{0, M_PI - half}, {M_PI + half, twoPi}}},
        {"wrap below zero", {{0, twoPi}}, 0.2, {{0.2 + half, 0.2 - half + twoPi}}},
        {"wrap above two pi", {{0, twoPi}}, twoPi - 0.2, {{half - 0.2, twoPi - 0.2 - half}}},
        {"arc inside the blocked one is dropped", {{M_PI - 0.1, M_PI + 0.1}, {0, 0.5}}, M_PI, {{0, 0.5}}},
        {"arc overlapping the low end is cut", {{2.0, 3.0}}, M_PI + 0.5, {{2.0, M_PI + 0.5 - half}}},
    };
    for (const Case& c : cases) {
        std::vector<Arc> arcs = c.free;
        blockArc(arcs, 0, 0, 1, 2 * std::cos(c.childAngle), 2 * std::sin(c.childAngle), 1);
        ASSERT_EQ(arcs.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < arcs.size(); ++i) {
            EXPECT_NEAR(arcs[i].lo, c.expected[i].lo, 1e-6) << c.name;
            EXPECT_NEAR(arcs[i].hi, c.expected[i].hi, 1e-6) << c.name;
        }
    }
    // A child less than a third of its parent's radius blocks nothing.
    std::vector<Arc> arcs{{0, twoPi}};
    blockArc(arcs, 0, 0, 10, 11, 0, 1);
    EXPECT_EQ(arcs.size(), 1u);
}

TEST(StrokePlacement, StampsAreOpenCvsFilledCircles)
{
    // Every radius the placement meets, centres inside, on and beyond the
    // edges of a small mask.
    for (int radius = 0; radius <= 40; ++radius)
        for (int cy = -45; cy <= 80; cy += 5)
            for (int cx = -45; cx <= 95; cx += 7) {
                cv::Mat ours = cv::Mat::zeros(40, 50, CV_8U), theirs = cv::Mat::zeros(40, 50, CV_8U);
                fillCircle(ours, cx, cy, radius);
                cv::circle(theirs, cv::Point(cx, cy), radius, cv::Scalar(255), cv::FILLED, cv::LINE_8);
                ASSERT_EQ(cv::countNonZero(ours != theirs), 0) << "centre " << cx << "," << cy << " radius " << radius;
            }
}
