#include "ColorManagementSystem.h"

#include "TIcc.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// The ICC profile an X colour manager published for a screen, if any.
QByteArray x11ScreenProfile(int screenIndex)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QByteArray();
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return QByteArray();
    }
    QByteArray profile;
    const QByteArray atomName = screenIndex > 0 ? "_ICC_PROFILE_" + QByteArray::number(screenIndex) : "_ICC_PROFILE";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(atomName.size()), atomName.constData()), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (atom && atom->atom != XCB_ATOM_NONE && screen) {
        // Profiles are a few hundred kilobytes at most.
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_CARDINAL, 0, 4 * 1024 * 1024),
            nullptr);
        if (reply) {
            profile = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                                 xcb_get_property_value_length(reply));
            std::free(reply);
        }
    }
    std::free(atom);
    xcb_disconnect(connection);
    return profile;
}

} // namespace

ColorManagementSystem::ColorManagementSystem()
    : m_description(TIcc::description(TIcc::sRGB()))
    , m_profile(TIcc::sRGB())
{
}

ColorManagementSystem& ColorManagementSystem::workspace()
{
    static ColorManagementSystem instance;
    return instance;
}

bool ColorManagementSystem::setDeviceColorProfile(QWindow* window)
{
    const int screenIndex = window && window->screen() ? QGuiApplication::screens().indexOf(window->screen()) : 0;
    const QByteArray published = x11ScreenProfile(std::max(screenIndex, 0));
    // A published profile counts only when LittleCMS can read it.
    const QString publishedDescription = published.isEmpty() ? QString() : TIcc::description(published);
    const bool fromScreen = !publishedDescription.isNull();
    m_profile = fromScreen ? published : TIcc::sRGB();
    m_description = fromScreen ? publishedDescription : TIcc::description(m_profile);
    qDebug() << "ColorManagementSystem: device profile" << m_description << (fromScreen ? "(from the screen)" : "");
    return fromScreen;
}
