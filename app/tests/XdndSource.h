#pragma once
// Drags a file onto a window as a file manager does: the source side of the
// X drag-and-drop protocol (XDND 5), with the file's URI as "text/uri-list".
#include <QString>
#include <QUrl>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace xdnd {

namespace detail {

inline xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr), &std::free);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

inline void send(xcb_connection_t* c, xcb_window_t to, xcb_atom_t type, uint32_t d0, uint32_t d1, uint32_t d2,
                 uint32_t d3, uint32_t d4)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = to;
    e.type = type;
    e.data.data32[0] = d0;
    e.data.data32[1] = d1;
    e.data.data32[2] = d2;
    e.data.data32[3] = d3;
    e.data.data32[4] = d4;
    xcb_send_event(c, 0, to, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

} // namespace detail

// Drops path on window at (x, y) of the window. True when the window took
// the drop and said it finished with it.
inline bool dropFile(const QString& window, int x, int y, const QString& path, int timeoutMs = 10000)
{
    using namespace detail;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t target = window.toUInt();
    const xcb_window_t source = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, source, screen->root, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t selection = atom(c, "XdndSelection"), uriList = atom(c, "text/uri-list"),
                     copy = atom(c, "XdndActionCopy"), enter = atom(c, "XdndEnter"), position = atom(c, "XdndPosition"),
                     status = atom(c, "XdndStatus"), drop = atom(c, "XdndDrop"), finished = atom(c, "XdndFinished"),
                     leave = atom(c, "XdndLeave");
    xcb_set_selection_owner(c, source, selection, XCB_CURRENT_TIME);

    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, target, screen->root, int16_t(x), int16_t(y)),
                                        nullptr),
        &std::free);
    const uint32_t rootPoint = at ? (uint32_t(at->dst_x) << 16) | uint32_t(at->dst_y) : 0;
    const std::string uri = QUrl::fromLocalFile(path).toEncoded().toStdString() + "\r\n";

    send(c, target, enter, source, 5u << 24, uriList, XCB_ATOM_NONE, XCB_ATOM_NONE);
    send(c, target, position, source, 0, rootPoint, XCB_CURRENT_TIME, copy);

    bool accepted = false, dropped = false, done = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done && std::chrono::steady_clock::now() < end) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_event(c), &std::free);
        if (!event) {
            struct timespec pause { 0, 10 * 1000 * 1000 };
            nanosleep(&pause, nullptr);
            continue;
        }
        switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            auto* m = reinterpret_cast<xcb_client_message_event_t*>(event.get());
            if (m->type == status && !dropped) {
                accepted = (m->data.data32[1] & 1) != 0;
                if (accepted) {
                    send(c, target, drop, source, 0, XCB_CURRENT_TIME, 0, 0);
                    dropped = true;
                } else {
                    send(c, target, leave, source, 0, 0, 0, 0);
                    done = true;
                }
            } else if (m->type == finished) {
                done = true;
            }
            break;
        }
        case XCB_SELECTION_REQUEST: {
            auto* r = reinterpret_cast<xcb_selection_request_event_t*>(event.get());
            xcb_selection_notify_event_t n{};
            n.response_type = XCB_SELECTION_NOTIFY;
            n.time = r->time;
            n.requestor = r->requestor;
            n.selection = r->selection;
            n.target = r->target;
            n.property = XCB_ATOM_NONE;
            if (r->target == uriList) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, r->requestor, r->property, uriList, 8,
                                    uint32_t(uri.size()), uri.data());
                n.property = r->property;
            }
            xcb_send_event(c, 0, r->requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&n));
            xcb_flush(c);
            break;
        }
        default:
            break;
        }
    }
    xcb_destroy_window(c, source);
    xcb_disconnect(c);
    return accepted && done;
}

} // namespace xdnd
