#include "TBrushSetImporter.h"

#include "TTextureCatalogue.h"

#include <Strobase.h>
#include <TImageIO.h>
#include <TSafeFile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

constexpr qint64 kMaxDescriptionBytes = 4 * 1024 * 1024;
// An atlas of the largest size, and its thumbnail, stored as PNG.
constexpr qint64 kMaxAtlasBytes = qint64(TImageIO::kMaxTextureSide) * TImageIO::kMaxTextureSide * 4 + (1 << 20);
constexpr qint64 kMaxThumbnailBytes = 16 * 1024 * 1024;

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
    QByteArray json;
    QString why;
    if (!TSafeFile::readSmall(description.filePath(), kMaxDescriptionBytes, &json, &why))
        return tr("%1 cannot be read: %2").arg(description.fileName(), why);
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    const QJsonArray frames = root.value(QStringLiteral("frames")).toArray();
    if (frames.isEmpty())
        return tr("%1 describes no brush frames.").arg(description.fileName());

    // Checked and copied is one reading of the atlas.
    const QString atlasPath = description.dir().filePath(description.completeBaseName() + QStringLiteral("normal.png"));
    QByteArray atlasBytes;
    cv::Mat atlas;
    if (!TSafeFile::readSmall(atlasPath, kMaxAtlasBytes, &atlasBytes, &why)
        || !TImageIO::decodeTexture(atlasBytes, TImageIO::kMaxTextureSide, &atlas, &why))
        return tr("The brush atlas %1 cannot be used: %2").arg(QFileInfo(atlasPath).fileName(), why);
    const QSize atlasSize(atlas.cols, atlas.rows);
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
    const QString thumbPath = description.dir().filePath(description.completeBaseName() + QStringLiteral("thumb.png"));
    QByteArray thumbBytes;
    const bool thumbOk = QFileInfo::exists(thumbPath) && TSafeFile::readSmall(thumbPath, kMaxThumbnailBytes, &thumbBytes, &why);

    // The list of names the brush browser reads gains the set last, so that
    // a set is listed only when its files are all there.
    const QString listPath = target.filePath(QStringLiteral("brushsets.json"));
    QByteArray listBytes;
    QJsonArray sets;
    if (TSafeFile::readSmall(listPath, kMaxDescriptionBytes, &listBytes, &why))
        sets = QJsonDocument::fromJson(listBytes).array();
    QJsonObject entry{{QStringLiteral("guid"), guid},
                      {QStringLiteral("name"), root.value(QStringLiteral("name")).toString(guid)}};
    if (thumbOk)
        entry.insert(QStringLiteral("thumbnail"), guid + QStringLiteral("thumb.png"));
    sets.append(entry);
    QString failure;
    if (!TSafeFile::write(target.filePath(guid + QStringLiteral("normal.png")), atlasBytes, &failure)
        || (thumbOk && !TSafeFile::write(target.filePath(guid + QStringLiteral("thumb.png")), thumbBytes, &failure))
        || !TSafeFile::write(target.filePath(guid + QStringLiteral(".json")), json, &failure)
        || !TSafeFile::write(listPath, QJsonDocument(sets).toJson(), &failure)) {
        for (const QString& name : {guid + QStringLiteral(".json"), guid + QStringLiteral("normal.png"),
                                    guid + QStringLiteral("thumb.png")})
            QFile::remove(target.filePath(name));
        return tr("The brush set could not be copied into %1: %2").arg(m_folder, failure);
    }
    // Every brush browser lists it from now on.
    TTextureCatalogue::listChanged(QStringLiteral("brushsets"));
    return QString();
}
