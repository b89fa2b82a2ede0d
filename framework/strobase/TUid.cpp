#include "TUid.h"

#include <QColor>
#include <QPointF>

#include <cstring>

namespace {

struct Fnv {
    quint32 h = 2166136261u;
    void bytes(const void* data, size_t n)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 16777619u;
        }
    }
    void u32(quint32 v)
    {
        const unsigned char b[4] = {uchar(v), uchar(v >> 8), uchar(v >> 16), uchar(v >> 24)};
        bytes(b, 4);
    }
    void u64(quint64 v)
    {
        u32(quint32(v));
        u32(quint32(v >> 32));
    }
    void f64(double d)
    {
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        u64(bits);
    }
    void variant(const QVariant& v)
    {
        u32(quint32(v.userType()));
        switch (v.userType()) {
        case QMetaType::Float: {
            const float f = v.toFloat();
            quint32 bits;
            std::memcpy(&bits, &f, 4);
            u32(bits);
            break;
        }
        case QMetaType::Double:
            f64(v.toDouble());
            break;
        case QMetaType::Int:
        case QMetaType::Bool:
            u32(quint32(v.toInt()));
            break;
        case QMetaType::QPointF:
            f64(v.toPointF().x());
            f64(v.toPointF().y());
            break;
        case QMetaType::QColor:
            u32(v.value<QColor>().rgba());
            break;
        default: {
            const QString s = v.toString();
            bytes(s.utf16(), size_t(s.size()) * 2);
            break;
        }
        }
    }
};

} // namespace

namespace TUid {

quint32 hash(quint32 a, quint32 b)
{
    Fnv f;
    f.u32(a);
    f.u32(b);
    return f.h;
}

quint32 hash(int a, quint32 b)
{
    return hash(quint32(a), b);
}

quint32 hash(const QSize& size, quint32 b)
{
    Fnv f;
    f.u32(quint32(size.width()));
    f.u32(quint32(size.height()));
    f.u32(b);
    return f.h;
}

quint32 hash(const QRect& rect, quint32 b)
{
    Fnv f;
    f.u32(quint32(rect.x()));
    f.u32(quint32(rect.y()));
    f.u32(quint32(rect.width()));
    f.u32(quint32(rect.height()));
    f.u32(b);
    return f.h;
}

quint32 hash(float value)
{
    Fnv f;
    f.variant(QVariant(value));
    return f.h;
}

quint32 hash(const QStringList& keys, const QVariantMap& values, quint32 seed)
{
    Fnv f;
    for (const QString& key : keys) {
        f.bytes(key.utf16(), size_t(key.size()) * 2);
        f.variant(values.value(key));
    }
    f.u32(seed);
    return f.h;
}

} // namespace TUid
