// The import and export effects as the shell drives them: properties in,
// procOutput, and an answer on the GUI thread.
#include "TImageExport.h"
#include "TImageImport.h"

#include <TImageIO.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <opencv2/imgcodecs.hpp>

#include <gtest/gtest.h>

namespace {

// Waits until the effect has no work left.
void settle(TEffect& effect)
{
    QEventLoop loop;
    QObject::connect(&effect, &TEffect::isBusyChanged, &loop, [&loop](bool busy) {
        if (!busy)
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (effect.isBusy())
        loop.exec();
}

cv::Mat picture()
{
    cv::Mat m(48, 64, CV_8UC3);
    cv::randu(m, 0, 255);
    return m;
}

} // namespace

TEST(ImageImport, ReadsTheFileIntoItsOutput)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.png");
    const cv::Mat source = picture();
    ASSERT_TRUE(cv::imwrite(path.toStdString(), source));
    TImageImport import;
    QSignalSpy output(&import, &TEffect::outputChanged), failed(&import, &TImageImport::failed);
    import.setSrcUrl(QUrl::fromLocalFile(path));
    import.procOutput();
    EXPECT_TRUE(import.isBusy());
    settle(import);
    EXPECT_EQ(output.count(), 1);
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(import.output().width(), 64);
    EXPECT_EQ(cv::norm(import.output().mat(), source, cv::NORM_INF), 0);

    const quint32 before = import.output().uid();
    import.setSrcUrl(QUrl::fromLocalFile(dir.filePath("missing.jpg")));
    import.procOutput();
    settle(import);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(import.errorString().contains("missing.jpg")) << import.errorString().toStdString();
    EXPECT_EQ(import.output().uid(), before) << "a failed read keeps the image there was";
}

TEST(ImageExport, WritesWithTheDialogsSettingsAndSaysWhyNot)
{
    QTemporaryDir dir;
    const TSMat image(picture());
    struct Case {
        const char* what;
        QString file;
        QVariantMap meta;
        bool input;
        bool ok;
    } cases[] = {
        {"jpeg", "a.jpg", {{"IMAGE_FORMAT", "JPEG"}, {"JPEG_QUALITY", "Maximum"}, {"JPEG_FORMAT", "Progressive"}, {"COLOR_SPACE", "sRGB"}}, true, true},
        {"tiff 16", "b.tif", {{"IMAGE_FORMAT", "TIFF"}, {"TIFF_COMPRESSION", "ZIP"}, {"TIFF_BITDEPTH", 16}, {"SAVE_ALPHA", false}}, true, true},
        {"png interlaced", "c.png", {{"IMAGE_FORMAT", "PNG"}, {"PNG_COMPRESSION", "Best"}, {"PNG_BITDEPTH", 8}, {"PNG_INTERLACE", true}}, true, true},
        {"format from the extension", "d.tiff", {}, true, true},
        {"bad value", "e.jpg", {{"IMAGE_FORMAT", "JPEG"}, {"JPEG_QUALITY", "Superb"}}, true, false},
        {"no image", "f.png", {{"IMAGE_FORMAT", "PNG"}}, false, false},
        {"folder that is not there", "none/g.png", {{"IMAGE_FORMAT", "PNG"}}, true, false},
    };
    for (const Case& c : cases) {
        TImageExport out;
        QSignalSpy saved(&out, &TImageExport::saved), failed(&out, &TImageExport::failed);
        if (c.input)
            out.setInput(image);
        const QString path = dir.filePath(c.file);
        out.setDestUrl(QUrl::fromLocalFile(path));
        out.setMetaData(c.meta);
        out.procOutput();
        settle(out);
        EXPECT_EQ(saved.count(), c.ok ? 1 : 0) << c.what;
        EXPECT_EQ(failed.count(), c.ok ? 0 : 1) << c.what;
        EXPECT_EQ(QFile::exists(path), c.ok) << c.what;
        if (!c.ok) {
            EXPECT_FALSE(out.errorString().isEmpty()) << c.what;
        }
        if (c.ok) {
            TSMat back;
            QString error;
            ASSERT_TRUE(TImageIO::load(path, &back, &error)) << c.what << error.toStdString();
            EXPECT_EQ(back.width(), 64) << c.what;
        }
    }
    const cv::Mat tiff = cv::imread(dir.filePath("b.tif").toStdString(), cv::IMREAD_UNCHANGED);
    EXPECT_EQ(tiff.depth(), CV_16U);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4) << "nothing half-written left";
}
