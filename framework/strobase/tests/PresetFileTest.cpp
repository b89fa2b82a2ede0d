#include <TPresetFile.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QPointF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& content)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}
} // namespace

TEST(PresetFile, RejectsWhatIsNotAPreset)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray content;
        const char* reason;
    } cases[] = {
        {"broken.json", "{\"version\": \"2.0\", \"params\": {", "not valid JSON"},
        {"array.json", "[1, 2]", "not a JSON object"},
        {"noversion.json", "{\"params\": {}}", "version"},
        {"numberversion.json", "{\"version\": 2, \"params\": {}}", "version"},
        {"noparams.json", "{\"version\": \"2.0\"}", "\"params\""},
    };
    for (const Case& c : cases) {
        QVariantMap preset;
        QString error;
        EXPECT_FALSE(TPresetFile::read(writeFile(dir, c.name, c.content), &preset, &error)) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.name << ": " << error.toStdString();
    }
    QVariantMap preset;
    QString error;
    EXPECT_FALSE(TPresetFile::read(dir.filePath(QStringLiteral("missing.json")), &preset, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot open")));
}

TEST(PresetFile, WriteThenReadKeepsEveryEncoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("style.json"));
    const QVariantMap params{{QStringLiteral("f"), 0.1f},
                             {QStringLiteral("i"), 2},
                             {QStringLiteral("b"), true},
                             {QStringLiteral("s"), QStringLiteral("e626558c")},
                             {QStringLiteral("p"), QPointF(0.25, 1)},
                             {QStringLiteral("c"), QColor(1, 2, 3, 4)}};
    QString error;
    ASSERT_TRUE(TPresetFile::write(path, {{QStringLiteral("version"), QStringLiteral("2.0")}, {QStringLiteral("params"), params}}, &error))
        << error.toStdString();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("\"c\": \"#01020304\""));
    EXPECT_TRUE(text.contains("\"f\": 0.1"));
    EXPECT_TRUE(text.contains("\"version\": \"2.0\""));

    QVariantMap read;
    ASSERT_TRUE(TPresetFile::read(path, &read, &error));
    const QVariantMap p = read.value(QStringLiteral("params")).toMap();
    EXPECT_EQ(p.value(QStringLiteral("p")), QVariant(QVariantList{0.25, 1.0}));
    EXPECT_EQ(p.value(QStringLiteral("c")), QVariant(QStringLiteral("#01020304")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("style.json")})
        << "no temporary file is left behind";
}

TEST(PresetFile, UnwritablePathIsAnError)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(TPresetFile::write(dir.filePath(QStringLiteral("no/such/dir/p.json")), {}, &error));
    EXPECT_FALSE(error.isEmpty());
}
