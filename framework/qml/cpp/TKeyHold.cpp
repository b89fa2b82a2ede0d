#include "TKeyHold.h"

#include <QKeyEvent>
#include <QQuickWindow>

TKeyHold::TKeyHold(QQuickItem* parent)
    : QQuickItem(parent)
{
    connect(this, &QQuickItem::windowChanged, this, &TKeyHold::watch);
}

void TKeyHold::setKey(int key)
{
    if (key == m_key)
        return;
    m_key = key;
    setHeld(false);
    emit keyChanged();
}

void TKeyHold::watch(QQuickWindow* window)
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
    setHeld(false);
}

bool TKeyHold::typing() const
{
    const QQuickItem* focus = m_window ? m_window->activeFocusItem() : nullptr;
    return focus && (focus->inherits("QQuickTextInput") || focus->inherits("QQuickTextEdit"));
}

bool TKeyHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != m_key || !isEnabled() || (!m_held && typing()))
            break;
        if (!key->isAutoRepeat())
            setHeld(event->type() == QEvent::KeyPress);
        return true;
    }
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        // The release may go to another window.
        setHeld(false);
        break;
    default:
        break;
    }
    return QQuickItem::eventFilter(watched, event);
}

void TKeyHold::setHeld(bool held)
{
    if (held == m_held)
        return;
    m_held = held;
    emit heldChanged(held);
}
