// Writes the brush sets supplied with the program: for every brush-set GUID
// an atlas description <GUID>.json, an atlas image <GUID>normal.png (red and
// green: the slope of the paint surface around 0.5; alpha: coverage) and a
// thumbnail <GUID>thumb.png, plus brushsets.json with the display names.
// Procedural and deterministic: the same program always writes the same files.

#include "Catalogue.h"
#include "DataFiles.h"
#include "Noise.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kAtlasSide = 1024;
constexpr int kGap = 4;
constexpr double kPi = 3.14159265358979;

enum class Shape { Stroke, Dab, Hatching, Sponge, Splatter };

// Half-width of a stroke (0..1 of the frame width) at t along its length.
using Profile = std::function<double(double t)>;

struct Family {
    const char* name;
    Shape shape;
    Profile profile;
    int frames;
    double lengthMin, lengthMax; // pixels
    double aspectMin, aspectMax; // length / width
    int bristlesMin, bristlesMax;
    double bristleContrast; // how much the bristle ridges stand out
    double dryness;         // share of the length over which bristles run dry
    double softness;        // edge softness, in units of the half-width
    double grain;           // coverage broken by surface grain
    double relief;          // paint height
};

double taper(double t, double ends)
{
    return std::min(1.0, std::min(t, 1.0 - t) / ends);
}

const Family kFamilies[17] = {
    {"Flat Bristle", Shape::Stroke, [](double t) { return 0.92 * std::sqrt(taper(t, 0.06)); }, 12, 200, 250, 2.2, 3.2, 18, 28, 0.55, 0.35, 0.08, 0.15, 0.9},
    {"Round", Shape::Stroke, [](double t) { return std::pow(std::sin(kPi * t), 0.6); }, 12, 180, 240, 3.0, 4.5, 10, 16, 0.35, 0.25, 0.12, 0.1, 0.8},
    {"Filbert", Shape::Stroke, [](double t) { return std::sqrt(std::max(0.0, 1.0 - std::pow(2 * t - 1, 4))); }, 12, 180, 230, 2.0, 2.8, 14, 22, 0.45, 0.2, 0.1, 0.1, 0.9},
    {"Fan", Shape::Stroke, [](double t) { return (0.35 + 0.65 * t) * std::sqrt(taper(t, 0.08)); }, 10, 170, 220, 1.3, 1.8, 24, 36, 0.9, 0.5, 0.05, 0.2, 0.6},
    {"Palette Knife", Shape::Stroke, [](double t) { return 1.0 - 0.65 * t * t; }, 10, 160, 220, 1.6, 2.4, 2, 4, 0.15, 0.05, 0.02, 0.05, 1.0},
    {"Dry Brush", Shape::Stroke, [](double t) { return 0.95 * std::sqrt(taper(t, 0.05)); }, 12, 200, 250, 2.2, 3.0, 26, 40, 0.8, 0.85, 0.06, 0.55, 0.5},
    {"Impasto", Shape::Stroke, [](double t) { return std::pow(std::sin(kPi * std::min(1.0, t * 1.1)), 0.35); }, 10, 170, 220, 1.8, 2.4, 8, 12, 0.7, 0.15, 0.05, 0.05, 1.0},
    {"Soft Round", Shape::Stroke, [](double t) { return std::pow(std::sin(kPi * t), 0.8); }, 10, 170, 220, 2.5, 3.5, 6, 10, 0.15, 0.1, 0.45, 0.05, 0.3},
    {"Dabs", Shape::Dab, [](double t) { return std::sqrt(std::max(0.0, 1.0 - std::pow(2 * t - 1, 2))); }, 14, 90, 140, 1.1, 1.6, 10, 16, 0.5, 0.1, 0.12, 0.15, 0.8},
    {"Hatching", Shape::Hatching, [](double t) { return taper(t, 0.15); }, 10, 200, 250, 2.5, 3.5, 1, 1, 0.3, 0.2, 0.15, 0.1, 0.5},
    {"Chalk", Shape::Stroke, [](double t) { return 0.9 * std::sqrt(taper(t, 0.1)); }, 12, 190, 240, 3.0, 4.0, 4, 8, 0.2, 0.3, 0.1, 0.7, 0.35},
    {"Sponge", Shape::Sponge, [](double t) { return std::sqrt(std::max(0.0, 1.0 - std::pow(2 * t - 1, 2))); }, 12, 110, 160, 1.0, 1.4, 1, 1, 0.0, 0.0, 0.1, 0.6, 0.7},
    {"Rake", Shape::Stroke, [](double t) { return 0.95 * std::sqrt(taper(t, 0.05)); }, 10, 200, 250, 1.8, 2.5, 5, 8, 1.0, 0.4, 0.02, 0.1, 0.7},
    {"Rigger", Shape::Stroke, [](double t) { return std::pow(std::sin(kPi * t), 0.4) * (1.0 - 0.5 * t); }, 12, 220, 256, 7.0, 10.0, 4, 6, 0.3, 0.3, 0.15, 0.05, 0.6},
    {"Splatter", Shape::Splatter, [](double) { return 1.0; }, 12, 120, 170, 1.0, 1.3, 1, 1, 0.0, 0.0, 0.2, 0.0, 0.8},
    {"Calligraphic", Shape::Stroke, [](double t) { return 0.25 + 0.75 * std::pow(std::sin(kPi * t), 0.5) * (0.6 + 0.4 * std::cos(2 * kPi * t)); }, 12, 200, 250, 3.0, 4.5, 8, 12, 0.3, 0.2, 0.04, 0.05, 0.8},
    {"Wash", Shape::Stroke, [](double t) { return std::sqrt(taper(t, 0.1)); }, 10, 180, 230, 1.8, 2.5, 30, 40, 0.1, 0.1, 0.35, 0.25, 0.15},
};

struct Frame {
    cv::Mat height;   // CV_32F, paint height 0..1, stroke length along rows
    cv::Mat coverage; // CV_32F, 0..1
};

double smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// One bristle brush stroke: width across (columns), length along (rows).
Frame strokeFrame(const Family& f, int width, int length, std::mt19937& rng)
{
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    const uint32_t seed = rng();
    const int bristles = f.bristlesMin + int(uni(rng) * (f.bristlesMax - f.bristlesMin + 1));
    struct Bristle {
        double u, load, dryAt, wobble, phase;
    };
    std::vector<Bristle> b;
    for (int i = 0; i < bristles; ++i) {
        const double u = -1 + (i + 0.5 + (uni(rng) - 0.5) * 0.6) * 2.0 / bristles;
        b.push_back({u, 0.6 + 0.4 * uni(rng), 1.0 - f.dryness * uni(rng), 0.02 * uni(rng), uni(rng) * 6.28});
    }
    const double bristleWidth = 1.6 / std::max(bristles, 1);
    const double bend = (uni(rng) - 0.5) * 0.25; // a slight curve of the stroke
    Frame out{cv::Mat(length, width, CV_32F), cv::Mat(length, width, CV_32F)};
    for (int py = 0; py < length; ++py) {
        const double t = (py + 0.5) / length;
        const double half = std::max(f.profile(t), 0.0);
        const double centre = bend * std::sin(kPi * t);
        for (int px = 0; px < width; ++px) {
            const double u = (px + 0.5) / width * 2 - 1 - centre;
            const double edge = (half - std::fabs(u)) / std::max(f.softness, 1e-3);
            const double raggedEdge = edge + (noise::fractal(px * 0.15, py * 0.05, seed, 3) - 0.5) * 1.2;
            double cover = smoothstep(0.0, 1.0, raggedEdge);
            double ridge = 0, bristleCover = 0;
            for (const Bristle& br : b) {
                const double d = (u - br.u - br.wobble * std::sin(t * 9 + br.phase)) / bristleWidth;
                const double w = std::exp(-d * d);
                ridge = std::max(ridge, br.load * w);
                if (t < br.dryAt)
                    bristleCover = std::max(bristleCover, w);
            }
            if (f.dryness > 0)
                cover *= 1.0 - f.bristleContrast * (1.0 - std::min(1.0, bristleCover * 1.5)) * smoothstep(0.2, 1.0, t);
            if (f.grain > 0) {
                const double g = noise::fractal(px * 0.35, py * 0.35, seed + 7, 3);
                cover *= smoothstep(f.grain * 0.55, f.grain * 0.55 + 0.25, g);
            }
            const double load = 0.75 + 0.25 * (1 - t); // more paint where the stroke starts
            const double streaks = (1 - f.bristleContrast) + f.bristleContrast * ridge;
            out.coverage.at<float>(py, px) = float(std::clamp(cover, 0.0, 1.0));
            out.height.at<float>(py, px) = float(f.relief * load * streaks * std::clamp(cover, 0.0, 1.0));
        }
    }
    return out;
}

Frame hatchingFrame(const Family& f, int width, int length, std::mt19937& rng)
{
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    Frame out{cv::Mat::zeros(length, width, CV_32F), cv::Mat::zeros(length, width, CV_32F)};
    const int lines = 3 + int(uni(rng) * 3);
    const uint32_t seed = rng();
    for (int l = 0; l < lines; ++l) {
        const double u0 = -0.8 + 1.6 * (l + 0.5) / lines + (uni(rng) - 0.5) * 0.1;
        const double start = uni(rng) * 0.15, end = 1.0 - uni(rng) * 0.15;
        const double slant = (uni(rng) - 0.5) * 0.1;
        for (int py = 0; py < length; ++py) {
            const double t = (py + 0.5) / length;
            if (t < start || t > end)
                continue;
            const double tl = (t - start) / (end - start);
            const double halfWidth = 0.09 * f.profile(tl);
            for (int px = 0; px < width; ++px) {
                const double u = (px + 0.5) / width * 2 - 1;
                const double d = std::fabs(u - u0 - slant * t) - halfWidth;
                const double ragged = d / 0.04 - (noise::value(px * 0.3, py * 0.1, seed + l) - 0.5);
                const double c = smoothstep(0.5, -0.5, ragged);
                float& cov = out.coverage.at<float>(py, px);
                cov = std::max(cov, float(c));
                out.height.at<float>(py, px) = std::max(out.height.at<float>(py, px), float(f.relief * c));
            }
        }
    }
    return out;
}

// Round-ish blots: sponge (pores) and splatter (drops).
Frame blotFrame(const Family& f, int width, int length, std::mt19937& rng)
{
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    Frame out{cv::Mat::zeros(length, width, CV_32F), cv::Mat::zeros(length, width, CV_32F)};
    const uint32_t seed = rng();
    struct Drop {
        double x, y, r;
    };
    std::vector<Drop> drops;
    if (f.shape == Shape::Sponge) {
        drops.push_back({0.5, 0.5, 0.45});
    } else {
        drops.push_back({0.5, 0.5, 0.22 + 0.08 * uni(rng)});
        const int n = 8 + int(uni(rng) * 10);
        for (int i = 0; i < n; ++i) {
            const double a = uni(rng) * 2 * kPi, dist = 0.15 + 0.3 * uni(rng);
            drops.push_back({0.5 + dist * std::cos(a), 0.5 + dist * std::sin(a), 0.02 + 0.07 * uni(rng) * (0.5 - dist + 0.2)});
        }
    }
    for (int py = 0; py < length; ++py) {
        for (int px = 0; px < width; ++px) {
            const double x = (px + 0.5) / width, y = (py + 0.5) / length;
            double cover = 0, h = 0;
            for (const Drop& d : drops) {
                const double wobble = (noise::fractal(px * 0.08, py * 0.08, seed, 3) - 0.5) * 0.25 * d.r;
                const double dist = std::hypot(x - d.x, y - d.y) - d.r - wobble;
                const double c = smoothstep(0.02, -0.02, dist);
                cover = std::max(cover, c);
                h = std::max(h, c * std::sqrt(std::max(0.0, 1 - std::pow(std::hypot(x - d.x, y - d.y) / (d.r + 1e-3), 2))));
            }
            if (f.shape == Shape::Sponge) {
                const double pores = noise::fractal(px * 0.25, py * 0.25, seed + 3, 3);
                cover *= smoothstep(0.38, 0.5, pores);
                h = cover * (0.5 + pores);
            }
            out.coverage.at<float>(py, px) = float(cover);
            out.height.at<float>(py, px) = float(f.relief * h);
        }
    }
    return out;
}

Frame makeFrame(const Family& f, int width, int length, std::mt19937& rng)
{
    switch (f.shape) {
    case Shape::Hatching: return hatchingFrame(f, width, length, rng);
    case Shape::Sponge:
    case Shape::Splatter: return blotFrame(f, width, length, rng);
    default: return strokeFrame(f, width, length, rng);
    }
}

// A few strokes of the set, lit from the upper left, on white.
cv::Mat thumbnail(const std::vector<Frame>& frames)
{
    const int w = 192, h = 96;
    cv::Mat canvas(h, w, CV_32FC3, cv::Scalar(0.97, 0.97, 0.97));
    const cv::Vec3f paint[3] = {{0.55f, 0.35f, 0.2f}, {0.2f, 0.45f, 0.65f}, {0.25f, 0.55f, 0.3f}};
    for (int i = 0; i < 3 && i < int(frames.size()); ++i) {
        cv::Mat height, coverage;
        // Strokes lie across the thumbnail.
        cv::rotate(frames[size_t(i)].height, height, cv::ROTATE_90_CLOCKWISE);
        cv::rotate(frames[size_t(i)].coverage, coverage, cv::ROTATE_90_CLOCKWISE);
        const double s = std::min(double(w - 16) / height.cols, 30.0 / height.rows);
        cv::resize(height, height, cv::Size(), s, s, cv::INTER_AREA);
        cv::resize(coverage, coverage, cv::Size(), s, s, cv::INTER_AREA);
        const int ox = (w - height.cols) / 2, oy = 4 + i * (h - 8) / 3;
        for (int y = 1; y < height.rows - 1 && oy + y < h; ++y) {
            for (int x = 1; x < height.cols - 1 && ox + x < w; ++x) {
                const float dx = height.at<float>(y, x + 1) - height.at<float>(y, x - 1);
                const float dy = height.at<float>(y + 1, x) - height.at<float>(y - 1, x);
                const float shade = std::clamp(1.0f - 2.0f * (dx + dy), 0.6f, 1.3f);
                const float a = coverage.at<float>(y, x);
                cv::Vec3f& c = canvas.at<cv::Vec3f>(oy + y, ox + x);
                c = c * (1 - a) + paint[i] * shade * a;
            }
        }
    }
    cv::Mat out;
    canvas.convertTo(out, CV_8UC3, 255.0);
    return out;
}

bool writeSet(const QDir& dir, const QString& type, const QString& guid, const Family& family, uint32_t seed,
              QJsonArray* catalogue)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> uni(0.0, 1.0);
    cv::Mat height = cv::Mat::zeros(kAtlasSide, kAtlasSide, CV_32F);
    cv::Mat coverage = cv::Mat::zeros(kAtlasSide, kAtlasSide, CV_32F);
    QJsonArray frames;
    std::vector<Frame> made;
    int shelfX = kGap, shelfY = kGap, shelfHeight = 0;
    for (int i = 0; i < family.frames; ++i) {
        const int length = int(family.lengthMin + uni(rng) * (family.lengthMax - family.lengthMin));
        const double aspect = family.aspectMin + uni(rng) * (family.aspectMax - family.aspectMin);
        const int width = std::max(8, int(length / aspect));
        Frame f = makeFrame(family, width, length, rng);
        made.push_back(f);
        // Every third frame is stored turned a quarter, the stroke's length
        // along the atlas rows.
        const bool rotated = i % 3 == 2;
        cv::Mat h = f.height, c = f.coverage;
        if (rotated) {
            cv::transpose(h, h);
            cv::transpose(c, c);
        }
        if (shelfX + h.cols + kGap > kAtlasSide) {
            shelfX = kGap;
            shelfY += shelfHeight + kGap;
            shelfHeight = 0;
        }
        if (shelfY + h.rows + kGap > kAtlasSide)
            break;
        h.copyTo(height(cv::Rect(shelfX, shelfY, h.cols, h.rows)));
        c.copyTo(coverage(cv::Rect(shelfX, shelfY, c.cols, c.rows)));
        QJsonObject frame{{"x", shelfX}, {"y", shelfY}, {"w", width}, {"h", length}};
        frames.append(QJsonObject{{"filename", QStringLiteral("%1_%2").arg(type).arg(i, 2, 10, QLatin1Char('0'))},
                                  {"frame", frame},
                                  {"rotated", rotated}});
        shelfX += h.cols + kGap;
        shelfHeight = std::max(shelfHeight, h.rows);
    }

    // Slopes of the paint surface, 0.5 where it is flat.
    cv::Mat dx, dy;
    cv::Sobel(height, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(height, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::Mat atlas(kAtlasSide, kAtlasSide, CV_8UC4);
    for (int y = 0; y < kAtlasSide; ++y) {
        for (int x = 0; x < kAtlasSide; ++x) {
            const auto enc = [](float s) { return uchar(std::lround(std::clamp(0.5f + 2.5f * s, 0.0f, 1.0f) * 255)); };
            // OpenCV writes BGRA: red = x slope, green = y slope.
            atlas.at<cv::Vec4b>(y, x) = cv::Vec4b(128, enc(dy.at<float>(y, x)), enc(dx.at<float>(y, x)),
                                                  uchar(std::lround(coverage.at<float>(y, x) * 255)));
        }
    }
    const QJsonObject description{
        {"frames", frames},
        {"meta", QJsonObject{{"app", "strovane-gen-brushes"},
                             {"image", guid + "normal.png"},
                             {"format", "RGBA8888"},
                             {"size", QJsonObject{{"w", kAtlasSide}, {"h", kAtlasSide}}}}}};
    catalogue->append(QJsonObject{{"guid", guid}, {"type", type}, {"name", family.name},
                                  {"thumbnail", guid + "thumb.png"}});
    return datafiles::write(dir.filePath(guid + ".json"), QJsonDocument(description).toJson(QJsonDocument::Indented))
        && datafiles::writePng(dir.filePath(guid + "normal.png"), atlas) && datafiles::writePng(dir.filePath(guid + "thumb.png"), thumbnail(made));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: strovane-gen-brushes OUTPUT_DIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "strovane-gen-brushes: cannot create %s\n", argv[1]);
        return 1;
    }
    QJsonArray catalogue;
    int index = 0;
    for (auto it = brushSetTypes().cbegin(); it != brushSetTypes().cend(); ++it, ++index) {
        if (!writeSet(dir, it.key(), it.value(), kFamilies[index], 1000u + uint32_t(index), &catalogue)) {
            std::fprintf(stderr, "strovane-gen-brushes: cannot write %s\n", qPrintable(it.value()));
            return 1;
        }
    }
    if (!datafiles::write(dir.filePath(QStringLiteral("brushsets.json")), QJsonDocument(catalogue).toJson())) {
        std::fprintf(stderr, "strovane-gen-brushes: cannot write brushsets.json\n");
        return 1;
    }
    return 0;
}
