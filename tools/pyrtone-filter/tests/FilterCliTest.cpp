#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode;
    QByteArray err;
};

Result filter(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(PYRTONE_FILTER), args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
}

double detail(const cv::Mat& bgr)
{
    cv::Mat lab, l, blurred;
    cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
    cv::extractChannel(lab, l, 0);
    l.convertTo(l, CV_32F);
    cv::GaussianBlur(l, blurred, cv::Size(0, 0), 3);
    cv::Scalar mean, sd;
    cv::meanStdDev(l - blurred, mean, sd);
    return sd[0];
}

} // namespace

TEST(PyrToneFilterCli, BoostsAndTamesTheDetailOfAPhotograph)
{
    QTemporaryDir dir;
    const cv::Mat photo = cv::imread(EXAMPLE_PHOTO);
    cv::Mat small;
    cv::resize(photo, small, cv::Size(640, 400), 0, 0, cv::INTER_AREA);
    const QString input = dir.filePath("small.png");
    cv::imwrite(input.toStdString(), small);
    const QString boosted = dir.filePath("boosted.png"), tamed = dir.filePath("tamed.tif");
    ASSERT_EQ(filter({"--gain", "1.5", input, boosted}).exitCode, 0);
    ASSERT_EQ(filter({"--gain", "-0.7", "--sigma", "0.2", input, tamed}).exitCode, 0);
    EXPECT_GT(detail(cv::imread(boosted.toStdString())), 1.2 * detail(small));
    EXPECT_LT(detail(cv::imread(tamed.toStdString())), 0.9 * detail(small));
}

TEST(PyrToneFilterCli, BadArgumentsAndInputsAreOneLineErrors)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.png");
    QFile broken(dir.filePath("broken.jpg"));
    broken.open(QIODevice::WriteOnly);
    broken.write("\xff\xd8\xff\xe0 not really a jpeg");
    broken.close();
    const QList<QStringList> cases{
        {"--gain", "lots", EXAMPLE_PHOTO, out}, {"--sigma", "0", EXAMPLE_PHOTO, out}, {"--what", EXAMPLE_PHOTO, out},
        {EXAMPLE_PHOTO},                        {broken.fileName(), out},            {EXAMPLE_PHOTO, dir.filePath("out.gif")},
    };
    for (const QStringList& args : cases) {
        const Result r = filter(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("pyrtone-filter: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"broken.jpg"});
}
