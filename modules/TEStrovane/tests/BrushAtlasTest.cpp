#include "TStrovaneWorker.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString writeDescription(const QTemporaryDir& dir, const char* name, const QJsonObject& root)
{
    QFile f(dir.filePath(QLatin1String(name)));
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(root).toJson());
    return f.fileName();
}

QJsonObject frame(int x, int y, int w, int h)
{
    return QJsonObject{{"x", x}, {"y", y}, {"w", w}, {"h", h}};
}

} // namespace

TEST(BrushAtlas, FramesBecomeNormalisedRectanglesAndOrientationFlags)
{
    QTemporaryDir dir;
    const QJsonObject root{{"meta", QJsonObject{{"size", QJsonObject{{"w", 1024}, {"h", 512}}}, {"app", "x"}}},
                           {"frames", QJsonArray{QJsonObject{{"frame", frame(512, 0, 256, 128)}},
                                                 QJsonObject{{"frame", frame(0, 256, 128, 64)}, {"rotated", true}},
                                                 QJsonObject{{"frame", frame(0, 0, 64, 64)}, {"rotated", false}}}}};
    const auto set = TStrovaneWorker::readBrushAtlas(writeDescription(dir, "set.json", root));
    ASSERT_EQ(set.frameCount, 3);
    EXPECT_EQ(set.upright, (QVector<int>{1, 0, 1}));
    EXPECT_EQ(set.frames[0], QVector4D(0.5f, 0.0f, 0.25f, 0.25f));
    EXPECT_EQ(set.frames[1], QVector4D(0.0f, 0.5f, 0.125f, 0.125f));
}

TEST(BrushAtlas, BrokenOrOversizedSetsStayUsable)
{
    QTemporaryDir dir;
    EXPECT_EQ(TStrovaneWorker::readBrushAtlas(dir.filePath("missing.json")).frameCount, 0);
    QFile broken(dir.filePath("broken.json"));
    broken.open(QIODevice::WriteOnly);
    broken.write("{\"frames\": [");
    broken.close();
    EXPECT_EQ(TStrovaneWorker::readBrushAtlas(broken.fileName()).frameCount, 0);

    QJsonArray many;
    for (int i = 0; i < 130; ++i)
        many.append(QJsonObject{{"frame", frame(i, 0, 1, 1)}});
    const QJsonObject root{{"meta", QJsonObject{{"size", QJsonObject{{"w", 256}, {"h", 256}}}}}, {"frames", many}};
    const auto set = TStrovaneWorker::readBrushAtlas(writeDescription(dir, "many.json", root));
    EXPECT_EQ(set.frameCount, 100) << "the painter's shaders hold 100 frames";
    EXPECT_EQ(set.frames.size(), 100);
}

