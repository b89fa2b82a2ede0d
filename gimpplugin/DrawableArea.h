#pragma once

#include <glib.h>

#include <cstdint>
#include <vector>

class HostExchange;

// The part of a drawable the filter works on: the selection's bounds within
// it, or all of it. Read as 16-bit samples of the image's own colour space
// (gamma-encoded), alpha kept aside; written back through the shadow buffer,
// so that the selection's mask applies and the change is one undo step.
class DrawableArea {
public:
    explicit DrawableArea(gint32 drawable);

    // False when the selection does not touch the drawable.
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isGray() const { return m_gray; }

    // The area's pixels into the exchange's planes.
    void read(HostExchange& exchange);
    // The exchange's planes (and the alpha kept from reading) back into the
    // drawable.
    void write(const HostExchange& exchange);

private:
    const void* format() const;

    gint32 m_drawable;
    int m_x = 0, m_y = 0, m_width = 0, m_height = 0;
    bool m_gray = false;
    bool m_alpha = false;
    std::vector<std::uint16_t> m_pixels;
};
