#include "StrokePlacement.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cstring>
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

// Toward zero, held inside int for discs grown far beyond the image.
int truncToInt(double v)
{
    return int(std::clamp(v, -1e9, 1e9));
}

// The ink image and the summed-area table of its darkness (255 - v), read
// through raw rows: the placement asks for millions of boxes.
struct InkField {
    explicit InkField(const cv::Mat& inkImage, const cv::Mat& integral)
        : ink(inkImage.data)
        , inkStep(inkImage.step1())
        , sums(integral.ptr<int>())
        , sumsStep(integral.step1())
        , width(inkImage.cols)
        , height(inkImage.rows)
    {
    }
    // Sum of (255 - v) over the inclusive box.
    long long boxSum(int x0, int y0, int x1, int y1) const
    {
        const int* top = sums + size_t(y0) * sumsStep;
        const int* bottom = sums + size_t(y1 + 1) * sumsStep;
        return (long long)bottom[x1 + 1] - bottom[x0] - top[x1 + 1] + top[x0];
    }
    double discInk(double x, double y, double r) const;

    const uchar* ink;
    size_t inkStep;
    const int* sums;
    size_t sumsStep;
    int width;
    int height;
};

double InkField::discInk(double x, double y, double r) const
{
    const double rr = r > 0.5 ? r : 0.5;
    long long darkness = 0;
    long long count = 0;
    if (rr == 0.5) {
        const int px = std::clamp(truncToInt(x), 0, width - 1);
        const int py = std::clamp(truncToInt(y), 0, height - 1);
        darkness = 255 - ink[size_t(py) * inkStep + size_t(px)];
        count = 1;
    } else {
        const int x0 = std::max(truncToInt(x - rr), 0), x1 = std::min(truncToInt(x + rr), width - 1);
        const int y0 = std::max(truncToInt(y - rr), 0), y1 = std::min(truncToInt(y + rr), height - 1);
        if (x0 > x1 || y0 > y1)
            return 0.0;
        darkness = boxSum(x0, y0, x1, y1);
        count = (long long)(x1 - x0 + 1) * (y1 - y0 + 1);
    }
    return r * r * kPi * (double(darkness) / 255.0 / double(count)) * 255.0;
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

// Scans the image on a grid of about a disc's spacing, once, for a place
// where a disc of the ink target lies on no other disc. The mask only gains
// discs, so a grid point found covered stays covered and the scan never
// goes back.
class HoleFinder {
public:
    HoleFinder(const cv::Mat& mask, double r0)
        : m_mask(mask)
        , m_step(std::max(1, truncToInt(r0)))
        , m_x(m_step / 2)
        , m_y(m_step / 2)
    {
    }
    template <typename Ink>
    bool next(const Ink& ink, int inkTarget, Disc& found)
    {
        for (; m_y < m_mask.rows; m_y += m_step, m_x = m_step / 2) {
            for (; m_x < m_mask.cols; m_x += m_step) {
                if (m_mask.at<uchar>(m_y, m_x) || !fits(ink, inkTarget, found))
                    continue;
                m_x += m_step;
                return true;
            }
        }
        return false;
    }

private:
    template <typename Ink>
    bool fits(const Ink& ink, int inkTarget, Disc& disc) const
    {
        const double x = m_x, y = m_y;
        double r = m_step;
        for (int i = 0; i < kAdjustments; ++i) {
            const double m = ink(x, y, r);
            if (m == 0)
                return false;
            const double scale = std::sqrt(inkTarget / m);
            r *= scale;
            if (std::fabs(scale - 1) <= 0.01)
                break;
        }
        if (!std::isfinite(r))
            return false;
        const int reach = std::max(truncToInt(r), 0);
        const int x0 = std::max(m_x - reach, 0), x1 = std::min(m_x + reach, m_mask.cols - 1);
        const int y0 = std::max(m_y - reach, 0), y1 = std::min(m_y + reach, m_mask.rows - 1);
        for (int py = y0; py <= y1; ++py) {
            const uchar* row = m_mask.ptr<uchar>(py);
            if (std::find_if(row + x0, row + x1 + 1, [](uchar v) { return v != 0; }) != row + x1 + 1)
                return false;
        }
        disc = {x, y, r};
        return true;
    }

    const cv::Mat& m_mask;
    int m_step;
    int m_x;
    int m_y;
};

} // namespace

// Fills a circle into the 8-bit mask, clipped: OpenCV's filled, 8-connected
// circle, pixel for pixel, without its per-call set-up (the placement
// stamps one circle per stroke).
void fillCircle(cv::Mat& mask, int cx, int cy, int radius)
{
    const int width = mask.cols, height = mask.rows;
    auto row = [&](int y, int x0, int x1) {
        x0 = std::max(x0, 0);
        x1 = std::min(x1, width - 1);
        if (unsigned(y) < unsigned(height) && x0 <= x1)
            std::memset(mask.ptr<uchar>(y) + x0, 255, size_t(x1 - x0 + 1));
    };
    int err = 0, dx = radius, dy = 0, plus = 1, minus = (radius << 1) - 1;
    while (dx >= dy) {
        const int y11 = cy - dy, y12 = cy + dy, y21 = cy - dx, y22 = cy + dx;
        const int x11 = cx - dx, x12 = cx + dx, x21 = cx - dy, x22 = cx + dy;
        if (x11 < width && x12 >= 0 && y21 < height && y22 >= 0) {
            row(y11, x11, x12);
            row(y12, x11, x12);
            if (x21 < width && x22 >= 0) {
                row(y21, x21, x22);
                row(y22, x21, x22);
            }
        }
        dy++;
        err += plus;
        plus += 2;
        const int step = (err <= 0) - 1;
        err -= minus & step;
        dx += step;
        minus -= step & 2;
    }
}

double discInk(const cv::Mat& inkImage, const cv::Mat& integral, double x, double y, double r)
{
    return InkField(inkImage, integral).discInk(x, y, r);
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
    const InkField field(inkImage, integral);
    const long long totalInk = field.boxSum(0, 0, width - 1, height - 1);
    // Too little ink for a single stroke: nothing to place.
    if (totalInk / inkTarget == 0)
        return placed;
    const double r0 = std::sqrt(double(width) * height / float(totalInk / inkTarget));

    cv::Mat mask = cv::Mat::zeros(height, width, CV_8U);
    auto stamp = [&mask](const Disc& d) {
        fillCircle(mask, int(std::lround(d.x)), int(std::lround(d.y)), truncToInt(d.r));
    };
    auto ink = [&field](double x, double y, double r) { return field.discInk(x, y, r); };

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
    HoleFinder holes(mask, r0);

    for (;;) {
        if (queue.empty()) {
            // The growth can stall, all its attempts falling outside the
            // image or on discs, before it has reached every part of it:
            // it goes on from a disc placed in the first bare hole.
            Disc hole;
            if (!holes.next(ink, inkTarget, hole))
                break;
            stamp(hole);
            placed.push_back({float(hole.x), float(hole.y), float(hole.r)});
            queue.push_back(hole);
        }
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
