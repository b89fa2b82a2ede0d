#pragma once

#include "strobase_global.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVector>

#include <memory>

class QWindow;

// Colour profiles of the framework's workspace (LittleCMS): the working
// space is sRGB; the device profile is the one of the display a window is
// on, where the window system publishes one (the _ICC_PROFILE property of
// the X root window), and sRGB otherwise. A profile published while the
// program runs is taken at once. GUI thread only.
class STROBASE_EXPORT ColorManagementSystem : public QObject {
    Q_OBJECT
public:
    // Lattice points per side of the device lookup table.
    static constexpr int kLookupSize = 33;

    static ColorManagementSystem& workspace();
    ~ColorManagementSystem() override;

    // True when the window's screen gave a profile; false when sRGB stands in.
    bool setDeviceColorProfile(QWindow* window);
    QString deviceProfileDescription() const { return m_description; }
    // The device profile as ICC bytes.
    QByteArray deviceProfile() const { return m_profile; }
    // True while the display's own profile is in use.
    bool hasDeviceProfile() const { return m_fromScreen; }
    // Working-space colours in the display's, on kLookupSize^3 points (see
    // TIcc::lookupTable); empty without a profile of the display.
    QVector<float> deviceLookupTable() const { return m_lookupTable; }

signals:
    // The device profile is another one than before.
    void deviceProfileChanged();

private:
    class Watcher;
    ColorManagementSystem();
    void watchScreen();

    QString m_description;
    QByteArray m_profile;
    bool m_fromScreen = false;
    QVector<float> m_lookupTable;
    QPointer<QWindow> m_window;
    std::unique_ptr<Watcher> m_watcher;
};
