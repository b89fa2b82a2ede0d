#include "TParamType.h"

#include <QColor>
#include <QJsonArray>
#include <QPointF>
#include <QStringList>

#include <cmath>

namespace TParam {

QString typeName(TParamType type)
{
    switch (type) {
    case TParamType::Float: return QStringLiteral("float");
    case TParamType::Int: return QStringLiteral("int");
    case TParamType::Bool: return QStringLiteral("bool");
    case TParamType::String: return QStringLiteral("string");
    case TParamType::Point: return QStringLiteral("point");
    case TParamType::Colour: return QStringLiteral("colour");
    }
    return QString();
}

QVariant zeroValue(TParamType type)
{
    switch (type) {
    case TParamType::Float: return QVariant(0.0f);
    case TParamType::Int: return QVariant(0);
    case TParamType::Bool: return QVariant(false);
    case TParamType::String: return QVariant(QString());
    case TParamType::Point: return QVariant(QPointF());
    case TParamType::Colour: return QVariant(QColor());
    }
    return QVariant();
}

static bool toNumber(const QVariant& value, double* out)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::QString: {
        bool ok = false;
        *out = value.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(*out);
    }
    default:
        return false;
    }
}

static bool toPoint(const QVariant& value, QPointF* out)
{
    const int t = static_cast<int>(value.type());
    if (t == QMetaType::QPointF || t == QMetaType::QPoint) {
        *out = value.toPointF();
        return true;
    }
    QVariantList list;
    if (t == QMetaType::QVariantList)
        list = value.toList();
    else if (t == QMetaType::QString) {
        for (const QString& part : value.toString().split(QLatin1Char(',')))
            list.append(part);
    } else
        return false;
    double x = 0, y = 0;
    if (list.size() != 2 || !toNumber(list[0], &x) || !toNumber(list[1], &y))
        return false;
    *out = QPointF(x, y);
    return true;
}

QVariant convert(const QVariant& value, TParamType type)
{
    if (!value.isValid())
        return zeroValue(type);
    switch (type) {
    case TParamType::Float:
    case TParamType::Int: {
        double d = 0;
        if (!toNumber(value, &d))
            return zeroValue(type);
        if (type == TParamType::Float)
            return QVariant(static_cast<float>(d));
        return QVariant(static_cast<int>(std::trunc(qBound(-2147483648.0, d, 2147483647.0))));
    }
    case TParamType::Bool: {
        const int t = static_cast<int>(value.type());
        if (t == QMetaType::Bool)
            return value;
        if (t == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s == QLatin1String("true") || s == QLatin1String("1"))
                return QVariant(true);
            return QVariant(false);
        }
        double d = 0;
        return QVariant(toNumber(value, &d) && d != 0);
    }
    case TParamType::String: {
        const int t = static_cast<int>(value.type());
        if (t == QMetaType::QVariantList || t == QMetaType::QVariantMap || !value.canConvert<QString>())
            return zeroValue(type);
        return QVariant(value.toString());
    }
    case TParamType::Point: {
        QPointF p;
        return toPoint(value, &p) ? QVariant(p) : zeroValue(type);
    }
    case TParamType::Colour: {
        const int t = static_cast<int>(value.type());
        if (t == QMetaType::QColor)
            return value;
        if (t == QMetaType::QString)
            return QVariant(colourFromText(value.toString()));
        return zeroValue(type);
    }
    }
    return QVariant();
}

bool isDifferent(float a, float b)
{
    // Float rounding noise, far below a slider step (0.01), is no change.
    return std::fabs(double(a) - double(b)) > 1e-6 * std::max(1.0, std::max(std::fabs(double(a)), std::fabs(double(b))));
}

bool isDifferent(const QPointF& a, const QPointF& b)
{
    return isDifferent(float(a.x()), float(b.x())) || isDifferent(float(a.y()), float(b.y()));
}

QString colourToText(const QColor& colour)
{
    if (!colour.isValid())
        return QString();
    return QString::asprintf("#%02x%02x%02x%02x", colour.red(), colour.green(), colour.blue(), colour.alpha());
}

QColor colourFromText(const QString& text)
{
    const QString s = text.trimmed();
    if (!s.startsWith(QLatin1Char('#')) || (s.size() != 7 && s.size() != 9))
        return QColor();
    bool ok = false;
    const uint v = s.midRef(1).toUInt(&ok, 16);
    if (!ok)
        return QColor();
    if (s.size() == 7)
        return QColor((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff, 255);
    return QColor((v >> 24) & 0xff, (v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff);
}

// The shortest decimal that reads back as the same float, so that 0.1f is
// written as 0.1 rather than 0.10000000149011612.
static double shortestDouble(float f)
{
    for (int precision = 6; precision < 10; ++precision) {
        const double d = QString::number(double(f), 'g', precision).toDouble();
        if (static_cast<float>(d) == f)
            return d;
    }
    return double(f);
}

QJsonValue toJson(const QVariant& value)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::UnknownType:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Float:
        return QJsonValue(shortestDouble(value.toFloat()));
    case QMetaType::QPointF:
    case QMetaType::QPoint: {
        const QPointF p = value.toPointF();
        return QJsonArray{p.x(), p.y()};
    }
    case QMetaType::QColor: {
        const QColor c = value.value<QColor>();
        return c.isValid() ? QJsonValue(colourToText(c)) : QJsonValue(QJsonValue::Null);
    }
    default:
        return QJsonValue::fromVariant(value);
    }
}

QVariant fromJson(const QJsonValue& value)
{
    return value.isNull() ? QVariant() : value.toVariant();
}

QString toText(const QVariant& value)
{
    switch (static_cast<int>(value.type())) {
    case QMetaType::QPointF:
    case QMetaType::QPoint: {
        const QPointF p = value.toPointF();
        return toText(QVariant(p.x())) + QLatin1Char(',') + toText(QVariant(p.y()));
    }
    case QMetaType::QColor:
        return colourToText(value.value<QColor>());
    case QMetaType::Float:
        return QString::number(shortestDouble(value.toFloat()), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return value.toString();
    }
}

bool fromText(const QString& text, TParamType type, QVariant* out)
{
    const QString s = text.trimmed();
    switch (type) {
    case TParamType::Float:
    case TParamType::Int: {
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (!ok || !std::isfinite(d) || (type == TParamType::Int && d != std::trunc(d)))
            return false;
        *out = convert(d, type);
        return true;
    }
    case TParamType::Bool:
        if (s == QLatin1String("true") || s == QLatin1String("1"))
            *out = true;
        else if (s == QLatin1String("false") || s == QLatin1String("0"))
            *out = false;
        else
            return false;
        return true;
    case TParamType::String:
        *out = text;
        return true;
    case TParamType::Point: {
        QPointF p;
        if (!toPoint(s, &p))
            return false;
        *out = p;
        return true;
    }
    case TParamType::Colour: {
        const QColor c = colourFromText(s);
        if (!c.isValid())
            return false;
        *out = c;
        return true;
    }
    }
    return false;
}

} // namespace TParam
