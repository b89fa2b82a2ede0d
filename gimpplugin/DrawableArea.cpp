#include "DrawableArea.h"

#include "ExchangeSamples.h"

#include <HostExchange.h>

#include <libgimp/gimp.h>

#include <cstring>

DrawableArea::DrawableArea(gint32 drawable)
    : m_drawable(drawable)
{
    if (!gimp_drawable_mask_intersect(drawable, &m_x, &m_y, &m_width, &m_height))
        m_width = m_height = 0;
    m_gray = gimp_drawable_is_gray(drawable);
    m_alpha = gimp_drawable_has_alpha(drawable);
}

const void* DrawableArea::format() const
{
    const char* name = m_gray ? (m_alpha ? "Y'A u16" : "Y' u16") : (m_alpha ? "R'G'B'A u16" : "R'G'B' u16");
    // In the image's own space, whose profile goes with the exchange.
    return babl_format_with_space(name, gimp_drawable_get_format(m_drawable));
}

void DrawableArea::read(HostExchange& exchange)
{
    const int channels = (m_gray ? 1 : 3) + (m_alpha ? 1 : 0);
    m_pixels.resize(std::size_t(m_width) * std::size_t(m_height) * std::size_t(channels));
    GeglBuffer* buffer = gimp_drawable_get_buffer(m_drawable);
    gegl_buffer_get(buffer, GEGL_RECTANGLE(m_x, m_y, m_width, m_height), 1.0, static_cast<const Babl*>(format()),
                    m_pixels.data(), GEGL_AUTO_ROWSTRIDE, GEGL_ABYSS_NONE);
    g_object_unref(buffer);
    for (int plane = 0; plane < (m_gray ? 1 : 3); ++plane) {
        for (int y = 0; y < m_height; ++y) {
            const std::uint16_t* in = m_pixels.data() + std::size_t(y) * std::size_t(m_width) * std::size_t(channels);
            std::uint8_t* out = exchange.plane(plane) + std::size_t(y) * std::size_t(exchange.rowBytes());
            for (int x = 0; x < m_width; ++x) {
                const std::uint16_t v = ExchangeSamples::fromHost(in[std::size_t(x) * std::size_t(channels) + std::size_t(plane)]);
                std::memcpy(out + 2 * x, &v, 2);
            }
        }
    }
}

void DrawableArea::write(const HostExchange& exchange)
{
    const int channels = (m_gray ? 1 : 3) + (m_alpha ? 1 : 0);
    for (int plane = 0; plane < (m_gray ? 1 : 3); ++plane) {
        for (int y = 0; y < m_height; ++y) {
            const std::uint8_t* in = exchange.plane(plane) + std::size_t(y) * std::size_t(exchange.rowBytes());
            std::uint16_t* out = m_pixels.data() + std::size_t(y) * std::size_t(m_width) * std::size_t(channels);
            for (int x = 0; x < m_width; ++x) {
                std::uint16_t v;
                std::memcpy(&v, in + 2 * x, 2);
                out[std::size_t(x) * std::size_t(channels) + std::size_t(plane)] = ExchangeSamples::toHost(v);
            }
        }
    }
    GeglBuffer* shadow = gimp_drawable_get_shadow_buffer(m_drawable);
    gegl_buffer_set(shadow, GEGL_RECTANGLE(m_x, m_y, m_width, m_height), 0, static_cast<const Babl*>(format()),
                    m_pixels.data(), GEGL_AUTO_ROWSTRIDE);
    gegl_buffer_flush(shadow);
    g_object_unref(shadow);
    gimp_drawable_merge_shadow(m_drawable, TRUE);
    gimp_drawable_update(m_drawable, m_x, m_y, m_width, m_height);
}
