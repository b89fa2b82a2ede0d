#include "StrokePlacement.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <random>

namespace {

constexpr double kTwoPi = 6.283185;
constexpr double kPi = 3.1415925;
constexpr int kAttempts = 5;
constexpr int kAdjustments = 6;

struct Disc {
    double x;
    double y;
    double r;
};

// The free arcs of the disc being grown. Each accepted child splits at most
// one arc in two, so a handful of attempts never needs many.
class ArcList {
public:
    static constexpr int kCapacity = 2 * kAttempts + 2;
    ArcList() { m_arcs[0] = {0.0, kTwoPi}; }
    int size() const { return m_n; }
    bool empty() const { return m_n == 0; }
    const Arc& operator[](int i) const { return m_arcs[size_t(i)]; }
    void subtract(double bl, double bh);
    std::vector<Arc> toVector() const { return std::vector<Arc>(m_arcs.begin(), m_arcs.begin() + m_n); }
    static ArcList from(const std::vector<Arc>& arcs);

private:
    std::array<Arc, kCapacity> m_arcs;
    int m_n = 1;
};

int truncToInt(double v)
{
    return int(std::trunc(v));
}

// Sum of (255 - v) over the inclusive box, from the summed-area table.
long long boxSum(const cv::Mat& integral, int x0, int y0, int x1, int y1)
{
    const int* top = integral.ptr<int>(y0);
    const int* bottom = integral.ptr<int>(y1 + 1);
    return (long long)bottom[x1 + 1] - bottom[x0] - top[x1 + 1] + top[x0];
}

bool collides(const cv::Mat& mask, double x, double y, double r)
{
    if (std::isinf(r) || std::isnan(r))
        return true;
    const int width = mask.cols, height = mask.rows;
    const int x0 = std::max(truncToInt(x - r), 0);
    const int x1 = std::min(truncToInt(std::ceil(x + r)), width);
    const int y0 = std::max(truncToInt(y - r), 0);
    const int y1 = std::min(truncToInt(std::ceil(y + r)), height);
    // Only pixels within sqrt(r) can pass the distance test (the squared
    // distance is compared with r itself): scan just that part of the box.
    const double reach = std::sqrt(std::max(r, 0.0));
    const int sx0 = std::max(x0, int(std::floor(x - reach))), sx1 = std::min(x1, int(std::ceil(x + reach)) + 1);
    const int sy0 = std::max(y0, int(std::floor(y - reach))), sy1 = std::min(y1, int(std::ceil(y + reach)) + 1);
    for (int py = sy0; py < sy1; ++py) {
        const uchar* row = mask.ptr<uchar>(py);
        const double dy2 = (y - py) * (y - py);
        for (int px = sx0; px < sx1; ++px) {
            if (row[px] > 0 && (x - px) * (x - px) + dy2 <= r)
                return true;
        }
    }
    return false;
}

void ArcList::subtract(double bl, double bh)
{
    std::array<Arc, kCapacity> out;
    int n = 0;
    auto add = [&](double lo, double hi) {
        if (n < kCapacity)
            out[size_t(n++)] = {lo, hi};
    };
    for (int i = 0; i < m_n; ++i) {
        const Arc& a = m_arcs[size_t(i)];
        if (a.lo >= bl && a.hi <= bh)
            continue;
        if (bl > a.hi || a.lo > bh)
            add(a.lo, a.hi);
        else if (a.lo <= bl && bl <= a.hi && a.hi <= bh)
            add(a.lo, bl);
        else if (bl <= a.lo && a.lo <= bh && bh <= a.hi)
            add(bh, a.hi);
        else {
            add(a.lo, bl);
            add(bh, a.hi);
        }
    }
    m_arcs = out;
    m_n = n;
}

ArcList ArcList::from(const std::vector<Arc>& arcs)
{
    ArcList list;
    list.m_n = 0;
    for (const Arc& a : arcs)
        if (list.m_n < kCapacity)
            list.m_arcs[size_t(list.m_n++)] = a;
    return list;
}

void blockArc(ArcList& freeArcs, double px, double py, double pr, double cx, double cy, double cr)
{
    const double half = std::acos(std::clamp((cr + pr) * 0.5 / (cr * 2.0), -1.0, 1.0));
    if (!(half >= 0.001))
        return;
    double theta = std::atan2(cy - py, cx - px);
    if (theta < 0)
        theta += kTwoPi;
    const double lo = theta - half, hi = theta + half;
    if (lo >= 0 && hi <= kTwoPi) {
        freeArcs.subtract(lo, hi);
        return;
    }
    if (lo < 0) {
        if (hi > 0)
            freeArcs.subtract(0, hi);
        freeArcs.subtract(lo + kTwoPi, kTwoPi);
    }
    if (hi > kTwoPi) {
        if (lo < kTwoPi)
            freeArcs.subtract(lo, kTwoPi);
        freeArcs.subtract(0, hi - kTwoPi);
    }
}

} // namespace

double discInk(const cv::Mat& inkImage, const cv::Mat& integral, double x, double y, double r)
{
    const int width = inkImage.cols, height = inkImage.rows;
    const double rr = r > 0.5 ? r : 0.5;
    long long darkness = 0;
    long long count = 0;
    if (rr == 0.5) {
        const int px = std::clamp(truncToInt(x), 0, width - 1);
        const int py = std::clamp(truncToInt(y), 0, height - 1);
        darkness = 255 - inkImage.at<uchar>(py, px);
        count = 1;
    } else {
        const int x0 = std::max(truncToInt(x - rr), 0), x1 = std::min(truncToInt(x + rr), width - 1);
        const int y0 = std::max(truncToInt(y - rr), 0), y1 = std::min(truncToInt(y + rr), height - 1);
        if (x0 > x1 || y0 > y1)
            return 0.0;
        darkness = boxSum(integral, x0, y0, x1, y1);
        count = (long long)(x1 - x0 + 1) * (y1 - y0 + 1);
    }
    return r * r * kPi * (double(darkness) / 255.0 / double(count)) * 255.0;
}

void blockArc(std::vector<Arc>& freeArcs, double px, double py, double pr, double cx, double cy, double cr)
{
    ArcList list = ArcList::from(freeArcs);
    blockArc(list, px, py, pr, cx, cy, cr);
    freeArcs = list.toVector();
}

std::vector<PlacedDisc> placeStrokes(const cv::Mat& inkImage, int inkTarget)
{
    std::vector<PlacedDisc> placed;
    const int width = inkImage.cols, height = inkImage.rows;
    if (width < 1 || height < 1 || inkTarget < 1)
        return placed;
    std::mt19937_64 g(1);

    cv::Mat darkness;
    cv::subtract(cv::Scalar(255), inkImage, darkness);
    cv::Mat integral;
    cv::integral(darkness, integral, CV_32S);
    const long long totalInk = boxSum(integral, 0, 0, width - 1, height - 1);
    // Too little ink for a single stroke: nothing to place.
    if (totalInk / inkTarget == 0)
        return placed;
    const double r0 = std::sqrt(double(width) * height / float(totalInk / inkTarget));

    cv::Mat mask = cv::Mat::zeros(height, width, CV_8U);
    auto stamp = [&mask](const Disc& d) {
        cv::circle(mask, cv::Point(int(std::lround(d.x)), int(std::lround(d.y))), truncToInt(d.r), cv::Scalar(255),
                   cv::FILLED, cv::LINE_8);
    };
    auto ink = [&](double x, double y, double r) { return discInk(inkImage, integral, x, y, r); };

    placed.reserve(size_t(2 * (totalInk / inkTarget)) + 16);
    // Discs waiting to grow children. A disc's free arcs matter only while
    // it grows, so the queue holds just the discs.
    std::deque<Disc> queue;
    Disc seed;
    seed.y = double(g() % uint64_t(height));
    seed.x = double(g() % uint64_t(width));
    seed.r = r0;
    stamp(seed);
    queue.push_back(seed);

    while (!queue.empty()) {
        const Disc parent = queue.front();
        queue.pop_front();
        ArcList arcs;
        for (int attempt = 0; attempt < kAttempts && !arcs.empty(); ++attempt) {
            const Arc arc = arcs[int(g() % uint64_t(arcs.size()))];
            const double theta = arc.lo + (arc.hi - arc.lo) * (double(g() >> 11) * 0x1.0p-53);
            const double c = std::cos(theta), s = std::sin(theta);
            double r = r0;
            double x = parent.x + (parent.r + r) * c, y = parent.y + (parent.r + r) * s;
            if (!(x >= 0 && x < width && y >= 0 && y < height))
                continue;
            double m = ink(x, y, r);
            if (m == 0)
                continue;
            double scale = std::sqrt(inkTarget / m);
            for (int i = 0; i < kAdjustments && std::fabs(scale - 1) > 0.01; ++i) {
                r *= scale;
                x = parent.x + (parent.r + r) * c;
                y = parent.y + (parent.r + r) * s;
                m = ink(x, y, r);
                if (m == 0) {
                    r = std::numeric_limits<double>::infinity();
                    break;
                }
                scale = std::sqrt(inkTarget / m);
            }
            if (collides(mask, x, y, r))
                continue;
            const Disc child{x, y, r};
            stamp(child);
            placed.push_back({float(x), float(y), float(r)});
            blockArc(arcs, parent.x, parent.y, parent.r, x, y, r);
            queue.push_back(child);
        }
    }
    return placed;
}
