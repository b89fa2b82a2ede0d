// Writes the canvas and surface textures supplied with the program: for every
// canvas GUID a seamlessly tileable grey height map <GUID>.png (the red
// channel carries the relief), a thumbnail <GUID>thumb.png, and
// canvases.json with the display names (both names where two share a GUID).
// Procedural and deterministic.

#include "Catalogue.h"
#include "DataFiles.h"
#include "Noise.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kSide = 512;
constexpr double kTau = 6.283185307179586;

// A height field over the unit torus: h(u, v) with u, v in [0, 1).
using Field = std::function<double(double u, double v)>;

double fbm(double u, double v, uint32_t seed, int cells, int octaves)
{
    return noise::fractal(u * cells, v * cells, seed, octaves, cells, cells);
}

double wrapDelta(double d)
{
    return d - std::round(d);
}

// Distances to the nearest and second-nearest feature points of a periodic
// Voronoi pattern with n x n cells; also the nearest cell's random id.
struct Voronoi {
    double f1, f2;
    uint32_t id;
};
Voronoi voronoi(double u, double v, int n, uint32_t seed, double jitter = 1.0)
{
    const int cx = int(std::floor(u * n)), cy = int(std::floor(v * n));
    Voronoi r{1e9, 1e9, 0};
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int gx = ((cx + dx) % n + n) % n, gy = ((cy + dy) % n + n) % n;
            const double px = (cx + dx + 0.5 + jitter * (noise::cell(gx, gy, seed) - 0.5)) / n;
            const double py = (cy + dy + 0.5 + jitter * (noise::cell(gx, gy, seed + 1) - 0.5)) / n;
            const double d = std::hypot(u - px, v - py) * n;
            if (d < r.f1) {
                r.f2 = r.f1;
                r.f1 = d;
                r.id = noise::hash(gx, gy, seed + 2);
            } else if (d < r.f2) {
                r.f2 = d;
            }
        }
    return r;
}

double smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Over-and-under threads: `threads` per tile each way, rotated by `turns`
// quarter... by a whole-number slope so that the pattern still tiles.
Field weave(int threads, int slope, double irregularity, uint32_t seed, int over = 1)
{
    return [=](double u, double v) {
        const double a = u * threads + slope * v * threads, b = v * threads - slope * u * threads;
        const double fa = a - std::floor(a), fb = b - std::floor(b);
        const int ia = int(std::floor(a)), ib = int(std::floor(b));
        const bool warpOnTop = ((ia / over + ib / over) % 2 + 2) % 2 == 0;
        const double thread = warpOnTop ? std::sin(fa * kTau / 2) : std::sin(fb * kTau / 2);
        const double along = warpOnTop ? std::sin(fb * kTau / 2) : std::sin(fa * kTau / 2);
        const double lumps = fbm(u, v, seed, 16, 3);
        return 0.35 + 0.45 * thread * (0.6 + 0.4 * along) + irregularity * (lumps - 0.5);
    };
}

Field paper(int cells, double fibres, uint32_t seed)
{
    return [=](double u, double v) {
        const double base = fbm(u, v, seed, cells, 5);
        const double streaks = fbm(u * 1.0, v, seed + 9, cells * 4, 2);
        return 0.5 + 0.6 * (base - 0.5) + fibres * (streaks - 0.5);
    };
}

Field rough(int cells, int octaves, double pits, uint32_t seed)
{
    return [=](double u, double v) {
        double h = fbm(u, v, seed, cells, octaves);
        if (pits > 0) {
            const Voronoi p = voronoi(u, v, cells * 4, seed + 5);
            h -= pits * smoothstep(0.25, 0.05, p.f1) * ((p.id & 3u) == 0 ? 1.0 : 0.0);
        }
        return h;
    };
}

Field bricks(int rows, int perRow, double mortar, double wear, uint32_t seed)
{
    return [=](double u, double v) {
        const double y = v * rows;
        const int row = int(std::floor(y));
        const double x = u * perRow + (row % 2) * 0.5;
        const double fx = x - std::floor(x), fy = y - row;
        const double edge = std::min({fx, 1 - fx, fy * perRow / double(rows) * 2, (1 - fy) * perRow / double(rows) * 2});
        const double brick = smoothstep(0.0, mortar, edge);
        return 0.2 + 0.6 * brick + wear * (fbm(u, v, seed, 32, 4) - 0.5) * brick;
    };
}

Field tiles(int n, double groove, double bevel, uint32_t seed)
{
    return [=](double u, double v) {
        const double fx = u * n - std::floor(u * n), fy = v * n - std::floor(v * n);
        const double edge = std::min({fx, 1 - fx, fy, 1 - fy});
        return 0.15 + 0.7 * smoothstep(groove, groove + bevel, edge) + 0.05 * fbm(u, v, seed, 64, 2);
    };
}

Field planks(int n, bool grainOnly, uint32_t seed)
{
    return [=](double u, double v) {
        const double x = u * n;
        const int plank = int(std::floor(x));
        const double fx = x - plank;
        // Each plank its own cut of the wood; one continuous grain without joints.
        const double offset = grainOnly ? 0.0 : noise::cell(plank, 0, seed);
        // Growth rings run along v: the wobble changes slowly along the
        // grain and quickly across it; fine pores streak along it too.
        const double wobble = noise::fractal(u * 8, (v + offset) * 2, seed + 3, 3, 8, 2);
        const double rings = 0.5 + 0.5 * std::sin((fx * 6 + 2.5 * wobble) * kTau);
        const double pores = noise::fractal(u * 96, v * 6, seed + 7, 2, 96, 6);
        const double grain = 0.65 * rings + 0.35 * pores;
        if (grainOnly)
            return grain;
        const double joint = smoothstep(0.0, 0.03, std::min(fx, 1 - fx));
        const double end = smoothstep(0.0, 0.01, std::fabs(wrapDelta(v - offset)));
        return 0.15 + 0.75 * grain * joint * end;
    };
}

Field cells(int n, double edgeWidth, double crackDepth, uint32_t seed, double bump = 0.4)
{
    return [=](double u, double v) {
        const Voronoi c = voronoi(u, v, n, seed);
        const double edge = smoothstep(0.0, edgeWidth, c.f2 - c.f1);
        const double dome = bump * (1.0 - std::min(c.f1, 1.0));
        return 0.3 + (1 - crackDepth) * 0.2 + crackDepth * 0.5 * edge + dome * edge + 0.1 * fbm(u, v, seed + 4, 32, 3);
    };
}

Field marble(int cells, double veins, uint32_t seed)
{
    return [=](double u, double v) {
        const double t = fbm(u, v, seed, cells, 5);
        const double vein = std::pow(std::fabs(std::sin((u + v + 3 * t) * kTau * 2)), 0.3);
        return 0.6 + 0.35 * (vein - 1) * veins + 0.1 * (t - 0.5);
    };
}

Field grass(int blades, double patchy, uint32_t seed)
{
    return [=](double u, double v) {
        double h = 0.2;
        const double x = u * blades;
        for (int layer = 0; layer < 3; ++layer) {
            const double lx = x + layer * 0.37 + 2 * fbm(u, v, seed + layer, 4, 2);
            const double fx = lx - std::floor(lx);
            const double height = noise::cell(int(std::floor(lx)) % blades, layer, seed);
            const double blade = smoothstep(0.5, 0.0, std::fabs(fx - 0.5)) * (0.5 + 0.5 * height);
            h = std::max(h, blade * (0.6 + 0.4 * std::sin((v * 3 + height) * kTau)));
        }
        if (patchy > 0)
            h *= smoothstep(0.35, 0.55, fbm(u, v, seed + 11, 4, 3)) * patchy + (1 - patchy);
        return h;
    };
}

Field bark(int ridges, uint32_t seed)
{
    return [=](double u, double v) {
        const double warp = fbm(u, v, seed, 4, 3);
        const double r = std::fabs(std::sin((u * ridges + 2 * warp) * kTau / 2));
        const double splits = smoothstep(0.0, 0.15, r);
        // Fibres four times longer than wide, still repeating every tile.
        return 0.2 + 0.6 * splits * (0.6 + 0.4 * noise::fractal(u * 32, v * 8, seed + 2, 3, 32, 8));
    };
}

Field holes(int n, double radius, bool diamond, uint32_t seed)
{
    return [=](double u, double v) {
        const double fx = u * n - std::floor(u * n) - 0.5, fy = v * n - std::floor(v * n) - 0.5;
        const double base = 0.6 + 0.05 * fbm(u, v, seed, 64, 2);
        if (diamond) {
            const double a = (fx + fy), b = (fx - fy);
            const double plate = std::max(smoothstep(0.12, 0.0, std::fabs(a)) * smoothstep(0.35, 0.3, std::fabs(b)),
                                          smoothstep(0.12, 0.0, std::fabs(b - 0.5 * std::copysign(1.0, b))) * 0.0);
            return base + 0.35 * plate;
        }
        return base - 0.5 * smoothstep(radius, radius - 0.03, std::hypot(fx, fy));
    };
}

Field shingles(int rows, int perRow, uint32_t seed)
{
    return [=](double u, double v) {
        const double y = v * rows;
        const int row = int(std::floor(y));
        const double x = u * perRow + (row % 2) * 0.5;
        const double fx = x - std::floor(x) - 0.5, fy = y - row;
        const double scallop = fy - (0.3 - 0.3 * std::sqrt(std::max(0.0, 1 - 4 * fx * fx)));
        return 0.2 + 0.6 * smoothstep(0.0, 0.08, scallop) * (1 - 0.5 * fy) + 0.05 * fbm(u, v, seed, 64, 2);
    };
}

Field corrugated(int waves, uint32_t seed)
{
    return [=](double u, double v) {
        return 0.5 + 0.35 * std::sin(v * waves * kTau) + 0.1 * (fbm(u, v, seed, 32, 3) - 0.5);
    };
}

Field quilt(int squares, uint32_t seed)
{
    return [=](double u, double v) {
        const double fx = u * squares - std::floor(u * squares), fy = v * squares - std::floor(v * squares);
        const double puff = std::sin(fx * kTau / 2) * std::sin(fy * kTau / 2);
        const double stitch = std::min(fx, 1 - fx) < 0.02 || std::min(fy, 1 - fy) < 0.02
            ? 0.5 + 0.5 * std::sin((fx + fy) * squares * 40)
            : 1.0;
        return 0.15 + 0.7 * std::sqrt(std::max(puff, 0.0)) * stitch + 0.05 * fbm(u, v, seed, 64, 2);
    };
}

Field leaf(int n, uint32_t seed)
{
    return [=](double u, double v) {
        const Voronoi c = voronoi(u, v, n, seed, 0.3);
        const double crinkle = fbm(u, v, seed + 1, 48, 4);
        return 0.5 + 0.3 * (crinkle - 0.5) + 0.2 * smoothstep(0.0, 0.05, c.f2 - c.f1);
    };
}

// The look of each canvas, by its catalogue name.
Field fieldFor(const QString& name, uint32_t seed)
{
    static const QMap<QString, std::function<Field(uint32_t)>> looks{
        {"Angled Weave", [](uint32_t s) { return weave(24, 1, 0.15, s); }},
        {"basket-weave-1", [](uint32_t s) { return weave(16, 0, 0.1, s, 2); }},
        {"Canvas I", [](uint32_t s) { return weave(48, 0, 0.25, s); }},
        {"Canvas III", [](uint32_t s) { return weave(64, 0, 0.35, s); }},
        {"Canvas IV", [](uint32_t s) { return weave(20, 0, 0.2, s, 3); }},
        {"Canvas V", [](uint32_t s) { return weave(40, 0, 0.5, s); }},
        {"Canvas VI", [](uint32_t s) { return weave(80, 0, 0.2, s); }},
        {"Tight Weave", [](uint32_t s) { return weave(96, 0, 0.1, s); }},
        {"Fabric", [](uint32_t s) { return weave(72, 0, 0.3, s, 2); }},
        {"Fabric Thin", [](uint32_t s) { return weave(128, 0, 0.15, s); }},
        {"Quilt", [](uint32_t s) { return quilt(4, s); }},
        {"Paper I", [](uint32_t s) { return paper(8, 0.1, s); }},
        {"Paper II", [](uint32_t s) { return paper(16, 0.2, s); }},
        {"Paper III", [](uint32_t s) { return paper(32, 0.15, s); }},
        {"Paper IV", [](uint32_t s) { return paper(6, 0.3, s); }},
        {"Paper V", [](uint32_t s) { return paper(24, 0.05, s); }},
        {"Paper VI", [](uint32_t s) { return paper(12, 0.4, s); }},
        {"Paper VII", [](uint32_t s) { return paper(48, 0.2, s); }},
        {"Painting II", [](uint32_t s) { return paper(20, 0.25, s); }},
        {"Paper IX", [](uint32_t s) { return paper(10, 0.12, s); }},
        {"Paper X", [](uint32_t s) { return paper(64, 0.1, s); }},
        {"Paper XI", [](uint32_t s) { return paper(4, 0.2, s); }},
        {"Paper XII", [](uint32_t s) { return paper(28, 0.35, s); }},
        {"Cardboard", [](uint32_t s) { return corrugated(24, s); }},
        {"Plaster I", [](uint32_t s) { return rough(4, 4, 0.0, s); }},
        {"Plaster II", [](uint32_t s) { return rough(6, 5, 0.1, s); }},
        {"Plaster III", [](uint32_t s) { return rough(3, 3, 0.0, s); }},
        {"Concrete Mixed", [](uint32_t s) { return rough(16, 5, 0.4, s); }},
        {"Concrete Painted", [](uint32_t s) { return rough(8, 3, 0.15, s); }},
        {"Concrete Rough", [](uint32_t s) { return rough(24, 6, 0.6, s); }},
        {"Concrete Smooth", [](uint32_t s) { return rough(8, 4, 0.1, s); }},
        {"Asphalt Smooth", [](uint32_t s) { return rough(64, 3, 0.3, s); }},
        {"Asphalt Rough", [](uint32_t s) { return rough(96, 4, 0.7, s); }},
        {"Asphalt Damaged", [](uint32_t s) { return cells(5, 0.04, 0.8, s, 0.0); }},
        {"Cracked Surface", [](uint32_t s) { return cells(8, 0.03, 1.0, s, 0.1); }},
        {"Porcelain", [](uint32_t s) { return cells(12, 0.01, 0.3, s, 0.0); }},
        {"Rust", [](uint32_t s) { return rough(12, 6, 0.8, s); }},
        {"Soil I", [](uint32_t s) { return rough(32, 6, 0.5, s); }},
        {"Soil II", [](uint32_t s) { return cells(24, 0.2, 0.4, s, 0.6); }},
        {"Brick New", [](uint32_t s) { return bricks(8, 4, 0.05, 0.1, s); }},
        {"Brick Weathered", [](uint32_t s) { return bricks(8, 4, 0.08, 0.6, s); }},
        {"Stone Pavement", [](uint32_t s) { return cells(6, 0.08, 0.9, s, 0.5); }},
        {"Tile I", [](uint32_t s) { return tiles(4, 0.02, 0.04, s); }},
        {"Tile II", [](uint32_t s) { return tiles(8, 0.03, 0.02, s); }},
        {"Tile III", [](uint32_t s) { return tiles(16, 0.04, 0.03, s); }},
        {"Metal Clean", [](uint32_t s) { return paper(2, 0.6, s); }},
        {"Metal Holes", [](uint32_t s) { return holes(12, 0.25, false, s); }},
        {"Metal Leaf", [](uint32_t s) { return leaf(6, s); }},
        {"Metal Sheet", [](uint32_t s) { return tiles(2, 0.01, 0.01, s); }},
        {"Metal Shingle", [](uint32_t s) { return shingles(8, 6, s); }},
        {"Metal Tread", [](uint32_t s) { return holes(8, 0.2, true, s); }},
        {"Wood Grain I", [](uint32_t s) { return planks(1, true, s); }},
        {"Wood Grain II", [](uint32_t s) { return planks(2, true, s); }},
        {"Wood Partical", [](uint32_t s) { return cells(40, 0.1, 0.5, s, 0.3); }},
        {"Wood Plank I", [](uint32_t s) { return planks(4, false, s); }},
        {"Wood Plank II", [](uint32_t s) { return planks(6, false, s); }},
        {"Tree Bark", [](uint32_t s) { return bark(8, s); }},
        {"Leather I", [](uint32_t s) { return cells(20, 0.1, 0.6, s, 0.5); }},
        {"Leather II", [](uint32_t s) { return cells(32, 0.08, 0.5, s, 0.4); }},
        {"Marble I", [](uint32_t s) { return marble(3, 0.8, s); }},
        {"Marble II", [](uint32_t s) { return marble(5, 0.5, s); }},
        {"Rock Marble", [](uint32_t s) { return marble(4, 1.0, s); }},
        {"Rock Granite", [](uint32_t s) { return rough(128, 3, 0.4, s); }},
        {"Rock Mixed Stone", [](uint32_t s) { return cells(10, 0.06, 0.7, s, 0.8); }},
        {"Rock Rough I", [](uint32_t s) { return rough(8, 7, 0.3, s); }},
        {"Rock Rough II", [](uint32_t s) { return rough(12, 7, 0.5, s); }},
        {"Rock Stones I", [](uint32_t s) { return cells(8, 0.1, 0.8, s, 1.0); }},
        {"Rock Stones II", [](uint32_t s) { return cells(14, 0.12, 0.8, s, 1.0); }},
        {"Grass Full", [](uint32_t s) { return grass(64, 0.0, s); }},
        {"Grass Patchy", [](uint32_t s) { return grass(48, 0.8, s); }},
    };
    const auto it = looks.find(name);
    return it != looks.end() ? it.value()(seed) : paper(16, 0.2, seed);
}

cv::Mat render(const Field& field)
{
    cv::Mat h(kSide, kSide, CV_64F);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            h.at<double>(y, x) = field((x + 0.5) / kSide, (y + 0.5) / kSide);
    // Full range, so that the strength slider means the same on every canvas.
    double lo, hi;
    cv::minMaxLoc(h, &lo, &hi);
    cv::Mat out;
    h.convertTo(out, CV_8U, hi > lo ? 255.0 / (hi - lo) : 0.0, hi > lo ? -255.0 * lo / (hi - lo) : 128.0);
    return out;
}

// The height map lit from the upper left, on a 2 x 2 repeat.
cv::Mat thumbnail(const cv::Mat& height)
{
    cv::Mat tiled, small, f, dx, dy;
    cv::repeat(height, 2, 2, tiled);
    cv::resize(tiled, small, cv::Size(128, 128), 0, 0, cv::INTER_AREA);
    small.convertTo(f, CV_32F, 1.0 / 255);
    cv::Sobel(f, dx, CV_32F, 1, 0, 3);
    cv::Sobel(f, dy, CV_32F, 0, 1, 3);
    cv::Mat shade = 0.75 - 0.6 * (dx + dy);
    cv::Mat out;
    shade.convertTo(out, CV_8U, 255.0);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: strovane-gen-canvases OUTPUT_DIR\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "strovane-gen-canvases: cannot create %s\n", argv[1]);
        return 1;
    }
    // GUID -> its names, in catalogue order.
    QMap<QString, QStringList> names;
    for (auto it = canvasCatalogue().cbegin(); it != canvasCatalogue().cend(); ++it)
        names[it.value()] << it.key();
    QJsonArray catalogue;
    uint32_t seed = 2000;
    for (auto it = names.cbegin(); it != names.cend(); ++it, ++seed) {
        const QString& guid = it.key();
        const cv::Mat height = render(fieldFor(it.value().first(), seed));
        if (!datafiles::writePng(dir.filePath(guid + ".png"), height) || !datafiles::writePng(dir.filePath(guid + "thumb.png"), thumbnail(height))) {
            std::fprintf(stderr, "strovane-gen-canvases: cannot write %s\n", qPrintable(guid));
            return 1;
        }
        catalogue.append(QJsonObject{{"guid", guid},
                                     {"name", it.value().join(QStringLiteral(" / "))},
                                     {"names", QJsonArray::fromStringList(it.value())},
                                     {"thumbnail", guid + "thumb.png"}});
    }
    if (!datafiles::write(dir.filePath(QStringLiteral("canvases.json")), QJsonDocument(catalogue).toJson())) {
        std::fprintf(stderr, "strovane-gen-canvases: cannot write canvases.json\n");
        return 1;
    }
    return 0;
}
