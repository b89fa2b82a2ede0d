#include "ColorManagementSystem.h"

#include "TIcc.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// What the X server holds for a screen's profile: the property's bytes, and
// where to watch for a new one.
struct ScreenProfile {
    QByteArray bytes;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t atom = XCB_ATOM_NONE;
};

// The ICC profile an X colour manager published for a screen, if any.
ScreenProfile x11ScreenProfile(int screenIndex)
{
    ScreenProfile found;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return found;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return found;
    }
    const QByteArray atomName = screenIndex > 0 ? "_ICC_PROFILE_" + QByteArray::number(screenIndex) : "_ICC_PROFILE";
    // Made if no colour manager made it yet, so that its first profile can be watched for.
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(atomName.size()), atomName.constData()), nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (atom && atom->atom != XCB_ATOM_NONE && screen) {
        found.root = screen->root;
        found.atom = atom->atom;
        // Profiles are a few hundred kilobytes at most.
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_CARDINAL, 0, 4 * 1024 * 1024),
            nullptr);
        if (reply) {
            found.bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                                     xcb_get_property_value_length(reply));
            std::free(reply);
        }
    }
    std::free(atom);
    xcb_disconnect(connection);
    return found;
}

} // namespace

// Watches the root window's profile property through the events Qt's own
// X connection receives (it listens to the root window's property changes).
class ColorManagementSystem::Watcher : public QAbstractNativeEventFilter {
public:
    explicit Watcher(ColorManagementSystem* owner)
        : m_owner(owner)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Watcher() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    void watch(xcb_window_t root, xcb_atom_t atom)
    {
        m_root = root;
        m_atom = atom;
    }
    bool nativeEventFilter(const QByteArray& eventType, void* message, long*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (m_atom != XCB_ATOM_NONE && change->window == m_root && change->atom == m_atom)
            QMetaObject::invokeMethod(
                m_owner, [owner = m_owner] { owner->setDeviceColorProfile(owner->m_window); }, Qt::QueuedConnection);
        return false;
    }

private:
    ColorManagementSystem* m_owner;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_atom = XCB_ATOM_NONE;
};

ColorManagementSystem::ColorManagementSystem()
    : m_description(TIcc::description(TIcc::sRGB()))
    , m_profile(TIcc::sRGB())
{
}

ColorManagementSystem::~ColorManagementSystem() = default;

ColorManagementSystem& ColorManagementSystem::workspace()
{
    static ColorManagementSystem instance;
    return instance;
}

bool ColorManagementSystem::setDeviceColorProfile(QWindow* window)
{
    m_window = window;
    const int screenIndex = window && window->screen() ? QGuiApplication::screens().indexOf(window->screen()) : 0;
    const ScreenProfile published = x11ScreenProfile(std::max(screenIndex, 0));
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (!m_watcher)
            m_watcher = std::make_unique<Watcher>(this);
        m_watcher->watch(published.root, published.atom);
    }
    // A published profile counts only when LittleCMS can read it as RGB.
    const std::vector<float> lattice =
        published.bytes.isEmpty() ? std::vector<float>() : TIcc::lookupTable(published.bytes, kLookupSize);
    const QVector<float> table(lattice.begin(), lattice.end());
    const bool fromScreen = !table.isEmpty();
    const QByteArray profile = fromScreen ? published.bytes : TIcc::sRGB();
    const bool changed = profile != m_profile || fromScreen != m_fromScreen;
    m_profile = profile;
    m_fromScreen = fromScreen;
    m_lookupTable = table;
    m_description = TIcc::description(m_profile);
    qDebug() << "ColorManagementSystem: device profile" << m_description << (fromScreen ? "(from the screen)" : "");
    if (changed)
        emit deviceProfileChanged();
    return fromScreen;
}
