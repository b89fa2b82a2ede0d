#include "ColorManagementSystem.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <lcms2.h>
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

QString describe(cmsHPROFILE profile)
{
    wchar_t text[256] = {};
    cmsGetProfileInfo(profile, cmsInfoDescription, "en", "US", text, 255);
    return QString::fromWCharArray(text);
}

QByteArray save(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(int(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    return bytes;
}

} // namespace

ColorManagementSystem::ColorManagementSystem()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    m_description = describe(srgb);
    m_profile = save(srgb);
    cmsCloseProfile(srgb);
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
    cmsHPROFILE profile =
        published.isEmpty() ? nullptr : cmsOpenProfileFromMem(published.constData(), cmsUInt32Number(published.size()));
    const bool fromScreen = profile != nullptr;
    if (!profile)
        profile = cmsCreate_sRGBProfile();
    m_description = describe(profile);
    m_profile = fromScreen ? published : save(profile);
    cmsCloseProfile(profile);
    qDebug() << "ColorManagementSystem: device profile" << m_description << (fromScreen ? "(from the screen)" : "");
    return fromScreen;
}
