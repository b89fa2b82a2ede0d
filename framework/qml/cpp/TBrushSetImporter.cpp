#include "TBrushSetImporter.h"

#include <Strobase.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

constexpr qint64 kMaxDescriptionBytes = 4 * 1024 * 1024;

bool writeFile(const QString& path, const QByteArray& data)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}

QByteArray readSmall(const QString& path, qint64 limit, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly) && file.size() <= limit;
    return *ok ? file.readAll() : QByteArray();
}

} // namespace

TBrushSetImporter::TBrushSetImporter(QObject* parent)
    : TBrushSetImporter(QString(), parent)
{
}

TBrushSetImporter::TBrushSetImporter(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder.isEmpty() ? Strobase::tgrcFolder() : folder)
{
}

QString TBrushSetImporter::importBrushSet(const QUrl& descriptionFile)
{
    const QFileInfo description(descriptionFile.toLocalFile());
    const QString guid = description.completeBaseName().toLower();
    static const QRegularExpression guidPattern(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    if (description.suffix().toLower() != QLatin1String("json") || !guidPattern.match(guid).hasMatch())
        return tr("A brush set is a file named after its GUID, such as 0b3c…-….json.");
    bool ok = false;
    const QByteArray json = readSmall(description.filePath(), kMaxDescriptionBytes, &ok);
    if (!ok)
        return tr("%1 cannot be read.").arg(description.fileName());
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonArray frames = root.value(QStringLiteral("frames")).toArray();
    if (frames.isEmpty())
        return tr("%1 describes no brush frames.").arg(description.fileName());

    const QString atlasPath = description.dir().filePath(description.completeBaseName() + QStringLiteral("normal.png"));
    QImageReader atlas(atlasPath);
    const QSize atlasSize = atlas.size();
    if (!atlas.canRead() || atlasSize.isEmpty())
        return tr("The brush atlas %1 is missing or not an image.").arg(QFileInfo(atlasPath).fileName());
    for (const QJsonValue& v : frames) {
        const QJsonObject f = v.toObject().value(QStringLiteral("frame")).toObject();
        const int x = f.value(QStringLiteral("x")).toInt(-1), y = f.value(QStringLiteral("y")).toInt(-1);
        const int w = f.value(QStringLiteral("w")).toInt(0), h = f.value(QStringLiteral("h")).toInt(0);
        if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > atlasSize.width() || y + h > atlasSize.height())
            return tr("A brush frame lies outside the atlas image.");
    }

    const QDir target(m_folder);
    if (QFile::exists(target.filePath(guid + QStringLiteral(".json"))))
        return tr("This brush set is installed already.");
    bool atlasOk = false;
    const QByteArray atlasBytes = readSmall(atlasPath, qint64(256) << 20, &atlasOk);
    const QString thumbPath = description.dir().filePath(description.completeBaseName() + QStringLiteral("thumb.png"));
    bool thumbOk = false;
    const QByteArray thumbBytes = readSmall(thumbPath, qint64(16) << 20, &thumbOk);

    // The list of names the brush browser reads gains the set last, so that
    // a set is listed only when its files are all there.
    QFile list(target.filePath(QStringLiteral("brushsets.json")));
    QJsonArray sets;
    if (list.open(QIODevice::ReadOnly))
        sets = QJsonDocument::fromJson(list.readAll()).array();
    list.close();
    QJsonObject entry{{QStringLiteral("guid"), guid},
                      {QStringLiteral("name"), root.value(QStringLiteral("name")).toString(guid)}};
    if (thumbOk)
        entry.insert(QStringLiteral("thumbnail"), guid + QStringLiteral("thumb.png"));
    sets.append(entry);
    if (!atlasOk || !writeFile(target.filePath(guid + QStringLiteral("normal.png")), atlasBytes)
        || (thumbOk && !writeFile(target.filePath(guid + QStringLiteral("thumb.png")), thumbBytes))
        || !writeFile(target.filePath(guid + QStringLiteral(".json")), json)
        || !writeFile(list.fileName(), QJsonDocument(sets).toJson())) {
        for (const QString& name : {guid + QStringLiteral(".json"), guid + QStringLiteral("normal.png"),
                                    guid + QStringLiteral("thumb.png")})
            QFile::remove(target.filePath(name));
        return tr("The brush set could not be copied into %1.").arg(m_folder);
    }
    return QString();
}
