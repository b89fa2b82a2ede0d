// The brush sets and canvases the build generates.
#include "Catalogue.h"
#include "TStrovaneWorker.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

namespace {
QJsonArray readCatalogue(const char* name)
{
    QFile f(QDir(QStringLiteral(STROVANE_TGRC_DIR)).filePath(QLatin1String(name)));
    f.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(f.readAll()).array();
}
} // namespace

TEST(SuppliedData, BrushSetsAreComplete)
{
    const QDir tgrc(QStringLiteral(STROVANE_TGRC_DIR));
    const QJsonArray catalogue = readCatalogue("brushsets.json");
    ASSERT_EQ(catalogue.size(), 17);
    QSet<QString> names;
    for (const QJsonValue& v : catalogue) {
        const QJsonObject entry = v.toObject();
        const QString guid = entry.value("guid").toString();
        names.insert(entry.value("name").toString());
        const auto set = TStrovaneWorker::readBrushAtlas(tgrc.filePath(guid + ".json"));
        EXPECT_GE(set.frameCount, 8) << guid.toStdString();
        EXPECT_TRUE(set.upright.contains(0) && set.upright.contains(1)) << "both atlas paths are used";
        EXPECT_TRUE(QFile::exists(tgrc.filePath(guid + "normal.png")));
        EXPECT_TRUE(QFile::exists(tgrc.filePath(entry.value("thumbnail").toString())));
    }
    EXPECT_EQ(names.size(), 17) << "every set has its own name";
}

TEST(SuppliedData, CanvasesAreCompleteAndTileWithoutSeams)
{
    const QDir tgrc(QStringLiteral(STROVANE_TGRC_DIR));
    const QJsonArray catalogue = readCatalogue("canvases.json");
    ASSERT_EQ(catalogue.size(), 70);
    QSet<QString> names;
    for (const QJsonValue& v : catalogue) {
        const QJsonObject entry = v.toObject();
        const QString guid = entry.value("guid").toString();
        for (const QJsonValue& n : entry.value("names").toArray()) {
            names.insert(n.toString());
            EXPECT_EQ(canvasCatalogue().value(n.toString()), guid);
        }
        const cv::Mat h = cv::imread(tgrc.filePath(guid + ".png").toStdString(), cv::IMREAD_UNCHANGED);
        ASSERT_FALSE(h.empty()) << guid.toStdString();
        ASSERT_EQ(h.type(), CV_8UC1);
        EXPECT_TRUE(QFile::exists(tgrc.filePath(entry.value("thumbnail").toString())));
        cv::Scalar mean, sd;
        cv::meanStdDev(h, mean, sd);
        EXPECT_GT(sd[0], 8.0) << entry.value("name").toString().toStdString() << ": has relief";

        // Across the wrap the height changes no more than across the
        // steepest line inside (patterns may have joints at the tile edge).
        cv::Mat f;
        h.convertTo(f, CV_32F);
        double steepestX = 0, steepestY = 0;
        for (int i = 1; i < f.cols; ++i)
            steepestX = std::max(steepestX, cv::norm(f.col(i), f.col(i - 1), cv::NORM_L1));
        for (int i = 1; i < f.rows; ++i)
            steepestY = std::max(steepestY, cv::norm(f.row(i), f.row(i - 1), cv::NORM_L1));
        const std::string name = entry.value("name").toString().toStdString();
        EXPECT_LE(cv::norm(f.col(0), f.col(f.cols - 1), cv::NORM_L1), 1.1 * steepestX + f.rows) << name;
        EXPECT_LE(cv::norm(f.row(0), f.row(f.rows - 1), cv::NORM_L1), 1.1 * steepestY + f.cols) << name;
    }
    EXPECT_EQ(names.size(), 73) << "every catalogue name has its canvas";
}
