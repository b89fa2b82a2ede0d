#pragma once

#include <cmath>
#include <cstdint>

// Deterministic value noise for the generated brushes and canvases: the
// same seed and coordinates always give the same value, on every machine.
namespace noise {

inline uint32_t hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// In [0, 1).
inline double cell(int32_t x, int32_t y, uint32_t seed)
{
    return (hash(x, y, seed) & 0xffffffu) / double(0x1000000);
}

inline double smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

// Bilinear value noise with a period (in cells) so that it tiles; period 0
// means no wrapping.
inline double value(double x, double y, uint32_t seed, int periodX = 0, int periodY = 0)
{
    const double fx = std::floor(x), fy = std::floor(y);
    int x0 = int(fx), y0 = int(fy);
    const double tx = smooth(x - fx), ty = smooth(y - fy);
    auto wrap = [](int v, int p) { return p > 0 ? ((v % p) + p) % p : v; };
    const int x1 = wrap(x0 + 1, periodX), y1 = wrap(y0 + 1, periodY);
    x0 = wrap(x0, periodX);
    y0 = wrap(y0, periodY);
    const double a = cell(x0, y0, seed), b = cell(x1, y0, seed), c = cell(x0, y1, seed), d = cell(x1, y1, seed);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

// Sum of octaves in [0, 1); tiles when the base period is given.
inline double fractal(double x, double y, uint32_t seed, int octaves, int periodX = 0, int periodY = 0)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * value(x, y, seed + uint32_t(o) * 101u, periodX, periodY);
        norm += amplitude;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
        amplitude *= 0.5;
    }
    return sum / norm;
}

} // namespace noise
