#include "TPresetFile.h"

#include "TParamType.h"
#include "TSafeFile.h"
#include "TVersion.h"

#include <QJsonDocument>

namespace TPresetFile {

// Presets are a few kilobytes; anything far larger is not one.
static constexpr qint64 kMaxPresetBytes = 1024 * 1024;

bool read(const QString& path, QVariantMap* preset, QString* error)
{
    QByteArray text;
    QString why;
    if (!TSafeFile::readSmall(path, kMaxPresetBytes, &text, &why)) {
        *error = QStringLiteral("cannot read preset: %1").arg(why);
        return false;
    }
    if (!fromText(text, preset, error)) {
        *error = QStringLiteral("preset %1 %2").arg(path, *error);
        return false;
    }
    return true;
}

bool fromText(const QByteArray& text, QVariantMap* preset, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("is not valid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return false;
    }
    if (!doc.isObject()) {
        *error = QStringLiteral("is not a JSON object");
        return false;
    }
    const QJsonObject root = doc.object();
    TVersion version;
    if (!root.value(QStringLiteral("version")).isString()
        || !TVersion::parse(root.value(QStringLiteral("version")).toString(), &version)) {
        *error = QStringLiteral("has no \"major.minor\" version text");
        return false;
    }
    if (!root.value(QStringLiteral("params")).isObject()) {
        *error = QStringLiteral("has no \"params\" object");
        return false;
    }
    QVariantMap params;
    const QJsonObject p = root.value(QStringLiteral("params")).toObject();
    for (auto it = p.begin(); it != p.end(); ++it)
        params.insert(it.key(), TParam::fromJson(it.value()));
    *preset = {{QStringLiteral("version"), version.toString()}, {QStringLiteral("params"), params}};
    return true;
}

QJsonObject paramsToJson(const QVariantMap& params)
{
    QJsonObject o;
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        o.insert(it.key(), TParam::toJson(it.value()));
    return o;
}

QJsonObject toJson(const QVariantMap& preset)
{
    QJsonObject root;
    root.insert(QStringLiteral("version"), preset.value(QStringLiteral("version")).toString());
    root.insert(QStringLiteral("params"), paramsToJson(preset.value(QStringLiteral("params")).toMap()));
    return root;
}

bool write(const QString& path, const QVariantMap& preset, QString* error)
{
    QString why;
    if (!TSafeFile::write(path, QJsonDocument(toJson(preset)).toJson(QJsonDocument::Indented), &why)) {
        *error = QStringLiteral("preset: %1").arg(why);
        return false;
    }
    return true;
}

} // namespace TPresetFile
