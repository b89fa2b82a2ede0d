#pragma once

#include "strobase_global.h"

#include <QByteArray>
#include <QString>

class QWindow;

// Colour profiles of the framework's workspace (LittleCMS): the working
// space is sRGB; the device profile is the one of the display a window is
// on, where the window system publishes one (the _ICC_PROFILE property of
// the X root window), and sRGB otherwise.
class STROBASE_EXPORT ColorManagementSystem {
public:
    static ColorManagementSystem& workspace();

    // True when the window's screen gave a profile; false when sRGB stands in.
    bool setDeviceColorProfile(QWindow* window);
    QString deviceProfileDescription() const { return m_description; }
    // The device profile as ICC bytes.
    QByteArray deviceProfile() const { return m_profile; }

private:
    ColorManagementSystem();
    QString m_description;
    QByteArray m_profile;
};
