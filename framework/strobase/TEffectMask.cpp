#include "TEffectMask.h"

#include <QDataStream>

#include <algorithm>
#include <cmath>

TEffectMask::TEffectMask(QObject* parent)
    : TEffect(parent)
{
}

void TEffectMask::setMaskType(int type)
{
    if (type == m_maskType)
        return;
    m_maskType = type;
    emit maskTypeChanged(type);
    // Like a parameter write: a preview only while notifications are on.
    if (notificationEnabled())
        paramsChanged();
}

void TEffectMask::setMaskSize(int width, int height)
{
    if (m_mask.width() == width && m_mask.height() == height)
        return;
    m_mask = QImage(std::max(width, 0), std::max(height, 0), QImage::Format_Grayscale8);
    m_mask.fill(0);
    emit maskChanged();
}

void TEffectMask::clearMask()
{
    m_mask.fill(0);
    emit maskChanged();
}

void TEffectMask::setBrush(float radius, float hardness, bool erase)
{
    m_brushRadius = std::max(radius, 0.5f);
    m_brushHardness = std::clamp(hardness, 0.0f, 1.0f);
    m_erase = erase;
}

void TEffectMask::drawPoint(const QPointF& position, float pressure)
{
    if (m_mask.isNull())
        return;
    const float cx = float(position.x()) * (m_mask.width() - 1);
    const float cy = float(position.y()) * (m_mask.height() - 1);
    const float r = m_brushRadius;
    const float inner = r * m_brushHardness;
    const float strength = std::clamp(pressure, 0.0f, 1.0f);
    const int x0 = std::max(0, int(std::floor(cx - r))), x1 = std::min(m_mask.width() - 1, int(std::ceil(cx + r)));
    const int y0 = std::max(0, int(std::floor(cy - r))), y1 = std::min(m_mask.height() - 1, int(std::ceil(cy + r)));
    for (int y = y0; y <= y1; ++y) {
        uchar* row = m_mask.scanLine(y);
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(x - cx, y - cy);
            if (d > r)
                continue;
            const float falloff = d <= inner ? 1.0f : 1.0f - (d - inner) / std::max(r - inner, 1e-3f);
            const float a = falloff * strength;
            const float target = m_erase ? 0.0f : 255.0f;
            row[x] = uchar(std::lround(row[x] + (target - row[x]) * a));
        }
    }
    emit maskChanged();
}

QByteArray TEffectMask::packedMask() const
{
    if (m_mask.isNull())
        return QByteArray();
    if (m_packedKey != m_mask.cacheKey()) {
        QByteArray raw;
        QDataStream out(&raw, QIODevice::WriteOnly);
        out << m_mask.width() << m_mask.height();
        for (int y = 0; y < m_mask.height(); ++y)
            out.writeRawData(reinterpret_cast<const char*>(m_mask.constScanLine(y)), m_mask.width());
        // Masks are mostly flat: they pack to a small fraction.
        m_packed = qCompress(raw, 1);
        m_packedKey = m_mask.cacheKey();
    }
    return m_packed;
}

QVariant TEffectMask::undoExtra() const
{
    return QVariantList{m_maskType, packedMask()};
}

void TEffectMask::restoreUndoExtra(const QVariant& extra)
{
    const QVariantList saved = extra.toList();
    const QByteArray packed = saved.value(1).toByteArray();
    if (packed != packedMask()) {
        QImage mask;
        QByteArray raw = qUncompress(packed);
        QDataStream in(raw);
        int width = 0, height = 0;
        in >> width >> height;
        if (!packed.isEmpty() && width > 0 && height > 0 && raw.size() >= 8 + qint64(width) * height) {
            mask = QImage(width, height, QImage::Format_Grayscale8);
            for (int y = 0; y < height; ++y)
                in.readRawData(reinterpret_cast<char*>(mask.scanLine(y)), width);
        }
        m_mask = mask;
        m_packed = packed;
        m_packedKey = m_mask.cacheKey();
        emit maskChanged();
    }
    const int type = saved.value(0).toInt();
    if (type != m_maskType) {
        m_maskType = type;
        emit maskTypeChanged(type);
    }
}

void TEffectMask::fillRequest(TProcRequest& request) const
{
    request.maskType = m_maskType;
    if (m_maskType != 0)
        request.mask = m_mask;
}
