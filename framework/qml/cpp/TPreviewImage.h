#pragma once

#include <TSFbo.h>

#include <QQuickItem>
#include <QVector>

// Shows the GPU preview that effects publish under this item's viewerUid,
// as a texture of the scene graph (shared contexts: no read-back). The item
// is sized by whoever lays it out; the picture fills it. Where the display
// has a colour profile the picture is converted from sRGB into it on the
// GPU, and follows when the profile changes.
class TPreviewImage : public QQuickItem {
    Q_OBJECT
    Q_PROPERTY(QString viewerUid READ viewerUid CONSTANT)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY imageChanged)
    // The full-resolution size the preview stands for (its size / scale).
    Q_PROPERTY(QSize imageSize READ imageSize NOTIFY imageChanged)
    // The preview's own pixels.
    Q_PROPERTY(QSize textureSize READ textureSize NOTIFY imageChanged)
public:
    explicit TPreviewImage(QQuickItem* parent = nullptr);
    ~TPreviewImage() override;

    QString viewerUid() const { return m_uid; }
    bool hasImage() const { return !m_image.isEmpty(); }
    QSize imageSize() const;
    QSize textureSize() const { return m_image.size(); }

signals:
    void imageChanged();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;

private:
    void take(const QString& viewerUid);
    void takeDisplayProfile();

    QString m_uid;
    TSFbo m_image;
    bool m_imageDirty = false;
    // The display profile's lookup table; empty without one.
    QVector<float> m_lookupTable;
    bool m_lookupDirty = false;
};
