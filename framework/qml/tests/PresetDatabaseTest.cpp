// The preset database: what the program and the plug-in's replay store in
// it, the style catalogue, and a damaged file; and the brush-set import.
#include "TBrushSetImporter.h"
#include "TDatabaseInterface.h"
#include "TPresetStore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>

#include <functional>

namespace {

void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(data);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Two built-in styles as the program installs them.
QString writeStyles(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("styles.json");
    writeFile(path, R"({"module": "TStrovane", "styles": [
        {"guid": "11111111-1111-5111-8111-111111111111", "name": "Loose Impasto", "thumbnail": "thumbnails/a.jpg",
         "group": "oil", "preset": {"version": "2.0", "params": {"stroke_brush_size": 0.75}}},
        {"guid": "22222222-2222-5222-8222-222222222222", "name": "Fine Wash", "thumbnail": "thumbnails/b.jpg",
         "preset": {"version": "2.0", "params": {"density_level": 2}}}]})");
    return path;
}

QStringList names(const QVariantList& styles)
{
    QStringList out;
    for (const QVariant& s : styles)
        out << s.toMap().value("name").toString();
    return out;
}

} // namespace

TEST(PresetDatabase, StoresAppliedPresetsUnderTheirGuid)
{
    QTemporaryDir dir;
    TDatabaseInterface db(dir.filePath("presets.sqlite"), writeStyles(dir));
    EXPECT_EQ(db.notice(), QString());
    auto* store = qobject_cast<TPresetStore*>(db.preset());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->getLastAppliedPresetGuid(), QString()) << "nothing applied yet";

    const QString first = store->storeLastAppliedPreset(R"({"version":"2.0","params":{"stroke_brush_size":0.3}})");
    const QString second = store->storeLastAppliedPreset(R"({"version":"2.0","params":{"stroke_brush_size":0.9}})");
    EXPECT_EQ(first.size(), 36);
    EXPECT_NE(first, second);
    EXPECT_EQ(store->getLastAppliedPresetGuid(), second);
    EXPECT_TRUE(store->presetOf(first).contains("0.3"));
    EXPECT_TRUE(store->storeLastAppliedPreset("not a preset").isEmpty());
    EXPECT_EQ(store->getLastAppliedPresetGuid(), second);

    // Another start finds them, and a style's GUID gives its preset too.
    TDatabaseInterface again(dir.filePath("presets.sqlite"), writeStyles(dir));
    auto* store2 = qobject_cast<TPresetStore*>(again.preset());
    EXPECT_EQ(store2->getLastAppliedPresetGuid(), second);
    EXPECT_TRUE(store2->presetOf("11111111-1111-5111-8111-111111111111").contains("0.75"));
    EXPECT_EQ(store2->presetOf("no-such-guid"), QString());
}

TEST(PresetDatabase, BuiltInStylesAreReadOnlyAndTheUsersOwnAreNot)
{
    QTemporaryDir dir;
    TDatabaseInterface db(dir.filePath("presets.sqlite"), writeStyles(dir));
    db.setModuleUid(QUrl("qrc:/TEStrovane/TModuleEntry.qml"));
    EXPECT_EQ(db.moduleUid(), QStringLiteral("TStrovane"));
    EXPECT_EQ(names(db.styles()), QStringList({"Loose Impasto", "Fine Wash"}));
    const QVariantMap first = db.styles().first().toMap();
    EXPECT_TRUE(first.value("builtIn").toBool());
    EXPECT_EQ(first.value("thumbnail").toString(), QUrl::fromLocalFile(dir.filePath("thumbnails/a.jpg")).toString());

    const QString builtIn = "11111111-1111-5111-8111-111111111111";
    EXPECT_FALSE(db.renameStyle(builtIn, "Mine").isEmpty());
    EXPECT_FALSE(db.deleteStyle(builtIn).isEmpty());

    QSignalSpy changed(&db, &TDatabaseInterface::stylesChanged);
    EXPECT_EQ(db.saveStyle("Evening Light", R"({"version":"2.0","params":{"stroke_lightness":-0.2}})"), QString());
    EXPECT_FALSE(db.saveStyle("  ", R"({"version":"2.0","params":{}})").isEmpty()) << "a name is needed";
    EXPECT_FALSE(db.saveStyle("Broken", "{").isEmpty());
    EXPECT_EQ(names(db.styles()), QStringList({"Loose Impasto", "Fine Wash", "Evening Light"}));
    const QString mine = db.styles().last().toMap().value("guid").toString();
    EXPECT_EQ(db.renameStyle(mine, "Dusk"), QString());
    EXPECT_EQ(names(db.styles()).last(), "Dusk");

    const QUrl file = QUrl::fromLocalFile(dir.filePath("Dusk.json"));
    EXPECT_EQ(db.exportStyle(mine, file), QString());
    const QJsonObject exported = QJsonDocument::fromJson(readFile(file.toLocalFile())).object();
    EXPECT_EQ(exported.value("version").toString(), "2.0");
    EXPECT_DOUBLE_EQ(exported.value("params").toObject().value("stroke_lightness").toDouble(), -0.2);
    EXPECT_EQ(db.deleteStyle(mine), QString());
    EXPECT_EQ(db.importStyle(file), QString());
    EXPECT_EQ(names(db.styles()).last(), "Dusk") << "named after its file";
    writeFile(dir.filePath("junk.json"), "this is no preset");
    EXPECT_FALSE(db.importStyle(QUrl::fromLocalFile(dir.filePath("junk.json"))).isEmpty());
    EXPECT_GE(changed.count(), 4);

    // The shipped list is read again at every start; the user's own stay.
    TDatabaseInterface again(dir.filePath("presets.sqlite"), writeStyles(dir));
    again.setModuleUid(QUrl("qrc:/TEStrovane/TModuleEntry.qml"));
    EXPECT_EQ(names(again.styles()), QStringList({"Loose Impasto", "Fine Wash", "Dusk"}));
}

// Names are trimmed and unique whatever their case; a style's settings
// can be replaced; a deleted style comes back under its guid; all of it
// stays over a restart.
TEST(PresetDatabase, TheUsersStylesAreRenamedUpdatedAndBroughtBack)
{
    QTemporaryDir dir;
    TDatabaseInterface db(dir.filePath("presets.sqlite"), writeStyles(dir));
    db.setModuleUid(QUrl("qrc:/TEStrovane/TModuleEntry.qml"));
    const QString light = R"({"version":"2.0","params":{"stroke_lightness":-0.2}})";
    const QString dark = R"({"version":"2.0","params":{"stroke_lightness":0.4}})";
    ASSERT_EQ(db.saveStyle("  Evening Light ", light), QString());
    const QString mine = db.styleNamed("evening light");
    ASSERT_FALSE(mine.isEmpty()) << "found whatever the case";
    EXPECT_EQ(names(db.styles()).last(), "Evening Light") << "trimmed";

    struct Case {
        const char* what;
        std::function<QString()> change;
        bool accepted;
    } cases[] = {
        {"saving under a taken name", [&] { return db.saveStyle("EVENING LIGHT", dark); }, false},
        {"saving under a built-in's name", [&] { return db.saveStyle("loose impasto", dark); }, false},
        {"renaming to a built-in's name", [&] { return db.renameStyle(mine, " Fine Wash"); }, false},
        {"renaming to an empty name", [&] { return db.renameStyle(mine, "   "); }, false},
        {"renaming to its own name in other case", [&] { return db.renameStyle(mine, "evening light"); }, true},
        {"renaming", [&] { return db.renameStyle(mine, " Dusk "); }, true},
        {"updating a built-in", [&] { return db.updateStyle("11111111-1111-5111-8111-111111111111", dark); }, false},
        {"updating with no preset", [&] { return db.updateStyle(mine, "{"); }, false},
        {"updating", [&] { return db.updateStyle(mine, dark); }, true},
        {"restoring over a style that is there", [&] { return db.restoreStyle(mine, "Other", dark); }, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.change().isEmpty(), c.accepted) << c.what;
    EXPECT_EQ(names(db.styles()), QStringList({"Loose Impasto", "Fine Wash", "Dusk"}));
    QStringList groups;
    for (const QVariant& style : db.styles())
        groups << style.toMap().value("group").toString();
    EXPECT_EQ(groups, QStringList({"oil", "experimental", "mine"})) << "from the list; none given: experimental";
    EXPECT_DOUBLE_EQ(QJsonDocument::fromJson(db.presetOf(mine).toUtf8()).object().value("params").toObject()
                         .value("stroke_lightness").toDouble(), 0.4);

    ASSERT_EQ(db.deleteStyle(mine), QString());
    EXPECT_TRUE(db.styleNamed("Dusk").isEmpty());
    ASSERT_EQ(db.restoreStyle(mine, "Dusk", dark), QString());
    EXPECT_EQ(db.styleNamed("Dusk"), mine) << "back under its guid";

    // An imported file named like a style gets a number.
    writeFile(dir.filePath("Dusk.json"), dark.toUtf8());
    EXPECT_EQ(db.importStyle(QUrl::fromLocalFile(dir.filePath("Dusk.json"))), QString());

    TDatabaseInterface again(dir.filePath("presets.sqlite"), writeStyles(dir));
    again.setModuleUid(QUrl("qrc:/TEStrovane/TModuleEntry.qml"));
    EXPECT_EQ(names(again.styles()), QStringList({"Loose Impasto", "Fine Wash", "Dusk", "Dusk 2"}));
    EXPECT_EQ(again.presetOf(mine), db.presetOf(mine));
}

TEST(PresetDatabase, AnUnreadableFileIsSetAsideAndAFreshOneMade)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("presets.sqlite");
    const QByteArray garbage = QByteArray("SQLite format 3") + QByteArray(5000, 'z');
    writeFile(path, garbage);
    TDatabaseInterface db(path, writeStyles(dir));
    EXPECT_FALSE(db.notice().isEmpty()) << "the user is told";
    const QStringList aside = QDir(dir.path()).entryList({"presets.sqlite.unreadable-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(dir.filePath(aside.first())), garbage) << "kept as it was";
    auto* store = qobject_cast<TPresetStore*>(db.preset());
    EXPECT_FALSE(store->storeLastAppliedPreset(R"({"version":"2.0","params":{}})").isEmpty()) << "the fresh one works";
    EXPECT_EQ(db.styles().size(), 2);
}

TEST(BrushSetImport, ChecksTheSetAndCopiesItOnlyWhole)
{
    QTemporaryDir source, target;
    writeFile(target.filePath("brushsets.json"), R"([{"guid": "e626558c-77dc-4b33-b795-ca2642b2ed21", "name": "Flat Bristle"}])");
    const QString guid = "3f6c2a10-5b7e-4c1d-9a8f-0e2d4b6c8a01";
    QImage atlas(64, 32, QImage::Format_ARGB32);
    atlas.fill(Qt::white);
    ASSERT_TRUE(atlas.save(source.filePath(guid + "normal.png")));
    const QByteArray good = R"({"name": "Twig", "frames": [{"filename": "a", "frame": {"x": 0, "y": 0, "w": 30, "h": 32}},
                                                          {"filename": "b", "frame": {"x": 32, "y": 0, "w": 32, "h": 32}}]})";
    struct Case {
        const char* what;
        QString file;
        QByteArray description;
        bool ok;
    } cases[] = {
        {"not named by a GUID", source.filePath("twig.json"), good, false},
        {"no frames", source.filePath(guid + ".json"), R"({"frames": []})", false},
        {"frame outside the atlas", source.filePath(guid + ".json"),
         R"({"frames": [{"frame": {"x": 40, "y": 0, "w": 30, "h": 32}}]})", false},
        {"not JSON", source.filePath(guid + ".json"), "frames!", false},
        {"a good set", source.filePath(guid + ".json"), good, true},
        {"the same set again", source.filePath(guid + ".json"), good, false},
    };
    TBrushSetImporter importer(target.path(), nullptr);
    for (const Case& c : cases) {
        writeFile(c.file, c.description);
        const QString why = importer.importBrushSet(QUrl::fromLocalFile(c.file));
        EXPECT_EQ(why.isEmpty(), c.ok) << c.what << ": " << why.toStdString();
        if (!c.ok && QByteArray(c.what) != "the same set again") {
            EXPECT_FALSE(QFile::exists(target.filePath(guid + ".json"))) << c.what << ": nothing copied";
        }
    }
    EXPECT_TRUE(QFile::exists(target.filePath(guid + "normal.png")));
    const QJsonArray sets = QJsonDocument::fromJson(readFile(target.filePath("brushsets.json"))).array();
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets.at(1).toObject().value("name").toString(), "Twig");

    QFile::remove(source.filePath(guid + "normal.png"));
    const QString other = "3f6c2a10-5b7e-4c1d-9a8f-0e2d4b6c8a02";
    writeFile(source.filePath(other + ".json"), good);
    EXPECT_FALSE(importer.importBrushSet(QUrl::fromLocalFile(source.filePath(other + ".json"))).isEmpty())
        << "no atlas";
    EXPECT_FALSE(QFile::exists(target.filePath(other + ".json")));
}

TEST(BrushSetImport, AnAtlasLargerThanTheLimitIsRefusedBeforeItIsDecoded)
{
    QTemporaryDir source, target;
    const QString guid = "3f6c2a10-5b7e-4c1d-9a8f-0e2d4b6c8a03";
    // A one-colour 16000 x 16000 atlas: a few hundred KB as a file, 1 GB
    // once decoded.
    std::vector<uchar> png;
    cv::imencode(".png", cv::Mat(16000, 16000, CV_8UC1, cv::Scalar(9)), png);
    writeFile(source.filePath(guid + "normal.png"), QByteArray(reinterpret_cast<const char*>(png.data()), int(png.size())));
    writeFile(source.filePath(guid + ".json"), R"({"name": "Huge", "frames": [{"frame": {"x": 0, "y": 0, "w": 32, "h": 32}}]})");
    TBrushSetImporter importer(target.path(), nullptr);
    const QString why = importer.importBrushSet(QUrl::fromLocalFile(source.filePath(guid + ".json")));
    EXPECT_TRUE(why.contains("16000 x 16000")) << why.toStdString();
    EXPECT_FALSE(QFile::exists(target.filePath(guid + ".json")));
}
