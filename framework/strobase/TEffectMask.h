#pragma once

#include "TEffect.h"

#include <QImage>

// An effect whose result can be limited to the regions the user paints:
// a greyscale mask (255 = full effect) painted with a round soft brush.
class STROBASE_EXPORT TEffectMask : public TEffect {
    Q_OBJECT
    // 0: no mask, the effect covers the whole image; 1: the effect shows
    // where the mask is painted; 2: it shows where the mask is not painted.
    Q_PROPERTY(int maskType READ maskType WRITE setMaskType NOTIFY maskTypeChanged)
public:
    explicit TEffectMask(QObject* parent = nullptr);

    int maskType() const { return m_maskType; }
    void setMaskType(int type);

    const QImage& mask() const { return m_mask; }
    // A new image size starts an empty mask of that size.
    Q_INVOKABLE void setMaskSize(int width, int height);
    Q_INVOKABLE void clearMask();
    // Radius in mask pixels, hardness 0 (soft) to 1 (hard edge), erase
    // paints the mask away instead of on.
    Q_INVOKABLE void setBrush(float radius, float hardness, bool erase);
    // Stamps the brush at a point given in 0..1 image coordinates.
    Q_INVOKABLE void drawPoint(const QPointF& position, float pressure = 1.0f);

signals:
    void maskTypeChanged(int maskType);
    void maskChanged();

protected:
    void fillRequest(TProcRequest& request) const override;
    // Undo points keep the mask type and the mask, compressed (a stroke is
    // one undo step).
    QVariant undoExtra() const override;
    void restoreUndoExtra(const QVariant& extra) override;

private:
    QByteArray packedMask() const;
    int m_maskType = 0;
    QImage m_mask;
    float m_brushRadius = 20.0f;
    float m_brushHardness = 0.5f;
    bool m_erase = false;
    // The last packed mask and the image state it was packed from.
    mutable qint64 m_packedKey = 0;
    mutable QByteArray m_packed;
};
