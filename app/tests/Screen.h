#pragma once
// What the screen shows: a window's pixels as the X server has them (with
// whatever lies over it, as the user sees it), and the picture in the
// program's preview.
#include <QString>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace screen {

// The window's rectangle of the screen, BGR; empty when it cannot be read.
inline cv::Mat grab(const QString& window)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return cv::Mat();
    }
    const xcb_window_t id = window.toUInt();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    cv::Mat shot;
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr), &std::free);
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, id, root, 0, 0), nullptr), &std::free);
    if (geometry && at) {
        std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> image(
            xcb_get_image_reply(c,
                                xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, at->dst_x, at->dst_y, geometry->width,
                                              geometry->height, ~0u),
                                nullptr),
            &std::free);
        if (image && xcb_get_image_data_length(image.get()) >= int(geometry->width) * geometry->height * 4) {
            const cv::Mat bgrx(geometry->height, geometry->width, CV_8UC4, xcb_get_image_data(image.get()));
            cv::cvtColor(bgrx, shot, cv::COLOR_BGRA2BGR);
        }
    }
    xcb_disconnect(c);
    return shot;
}

// The view's background (the window's darkest surface).
const cv::Vec3b kViewBackground(0x1b, 0x1b, 0x1b);
// The width of the panel on the right of the view.
constexpr int kPanelWidth = 301;

// The picture in the preview of a window shot: the box around the middle
// of the view up to the background that surrounds a fitted picture. Empty
// when the middle of the view shows no picture.
inline cv::Rect picture(const cv::Mat& shot)
{
    if (shot.cols <= kPanelWidth || shot.rows < 100)
        return cv::Rect();
    const int viewRight = shot.cols - kPanelWidth;
    const cv::Point middle(viewRight / 2, shot.rows / 2);
    auto background = [&](int x, int y) { return shot.at<cv::Vec3b>(y, x) == kViewBackground; };
    if (background(middle.x, middle.y))
        return cv::Rect();
    // An edge is where four background pixels in a row begin.
    auto edge = [&](int dx, int dy) {
        cv::Point p = middle;
        for (;;) {
            const cv::Point next = p + cv::Point(dx, dy);
            if (next.x < 0 || next.y < 0 || next.x >= viewRight || next.y >= shot.rows)
                return p;
            bool run = true;
            for (int k = 1; k <= 4 && run; ++k) {
                const cv::Point q = p + cv::Point(dx * k, dy * k);
                run = q.x >= 0 && q.y >= 0 && q.x < viewRight && q.y < shot.rows && background(q.x, q.y);
            }
            if (run)
                return p;
            p = next;
        }
    };
    const cv::Point left = edge(-1, 0), right = edge(1, 0), top = edge(0, -1), bottom = edge(0, 1);
    return cv::Rect(cv::Point(left.x, top.y), cv::Point(right.x + 1, bottom.y + 1));
}

// The photograph as large as the picture on the screen.
inline cv::Mat fitted(const cv::Mat& photo, const cv::Size& size)
{
    cv::Mat small;
    cv::resize(photo, small, size, 0, 0, cv::INTER_AREA);
    return small;
}

} // namespace screen
