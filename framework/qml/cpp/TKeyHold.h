#pragma once

#include <QQuickItem>

// Whether a key is held down in the item's window, wherever the focus is,
// except while a text field has it (the key is typed there). For keys that
// show something while held, such as the photograph before the painting.
class TKeyHold : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(int key READ key WRITE setKey NOTIFY keyChanged)
    Q_PROPERTY(bool held READ held NOTIFY heldChanged)
public:
    explicit TKeyHold(QQuickItem* parent = nullptr);

    int key() const { return m_key; }
    void setKey(int key);
    bool held() const { return m_held; }

signals:
    void keyChanged();
    void heldChanged(bool held);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QQuickWindow* window);
    void setHeld(bool held);
    bool typing() const;

    int m_key = 0;
    bool m_held = false;
    QQuickWindow* m_window = nullptr;
};
