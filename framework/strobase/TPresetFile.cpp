#include "TPresetFile.h"

#include "TParamType.h"
#include "TVersion.h"

#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace TPresetFile {

// Presets are a few kilobytes; anything far larger is not one.
static constexpr qint64 kMaxPresetBytes = 16 * 1024 * 1024;

bool read(const QString& path, QVariantMap* preset, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open preset %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxPresetBytes) {
        *error = QStringLiteral("preset %1 is too large to be a preset").arg(path);
        return false;
    }
    if (!fromText(file.readAll(), preset, error)) {
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
    const QJsonObject root = toJson(preset);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write preset %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        *error = QStringLiteral("cannot write preset %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace TPresetFile
