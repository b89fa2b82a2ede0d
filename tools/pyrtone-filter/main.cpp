// pyrtone-filter: the local Laplacian filter on the lightness of a
// photograph (L of CIE Lab; the colour is carried over).

#include "PyrTone.h"

#include <Strobase.h>
#include <TImageIO.h>
#include <TPrivateDisplay.h>
#include <TSFbo.h>

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>

#include <opencv2/imgproc.hpp>

#include <cstdio>

namespace {

const char* const kUsage =
    "Usage: pyrtone-filter [options] INPUT OUTPUT\n"
    "\n"
    "Boosts or tames the local detail of a photograph's lightness with a local\n"
    "Laplacian filter, and sets the brightness and contrast of its base. INPUT\n"
    "is a JPEG, TIFF or PNG; OUTPUT's extension picks the format. OpenGL goes\n"
    "through an X display; where there is none it starts a virtual one (Xvfb).\n"
    "\n"
    "  --sigma S          width of the detail range, 0..1 (default 0.1)\n"
    "  --gain G           detail gain: above 0 boosts, below 0 tames (default 1)\n"
    "  --coarse-ratio R   gain of the coarsest detail as a share of G (default 1)\n"
    "  --brightness B     brightness of the base (default 0)\n"
    "  --contrast C       contrast of the base (default 1)\n"
    "  --range R          range / sigma sets the number of references (default 2)\n"
    "  --help             show this help\n";

int fail(const QString& message)
{
    std::fprintf(stderr, "pyrtone-filter: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Strobase::setOpenGLDefaults();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    struct Number {
        QCommandLineOption option;
        float* target;
    };
    float sigma = 0.1f, gain = 1.0f, coarseRatio = 1.0f, brightness = 0.0f, contrast = 1.0f, range = 2.0f;
    const Number numbers[] = {
        {QCommandLineOption(QStringLiteral("sigma"), QString(), QStringLiteral("S")), &sigma},
        {QCommandLineOption(QStringLiteral("gain"), QString(), QStringLiteral("G")), &gain},
        {QCommandLineOption(QStringLiteral("coarse-ratio"), QString(), QStringLiteral("R")), &coarseRatio},
        {QCommandLineOption(QStringLiteral("brightness"), QString(), QStringLiteral("B")), &brightness},
        {QCommandLineOption(QStringLiteral("contrast"), QString(), QStringLiteral("C")), &contrast},
        {QCommandLineOption(QStringLiteral("range"), QString(), QStringLiteral("R")), &range},
    };
    parser.addOption(help);
    for (const Number& n : numbers)
        parser.addOption(n.option);
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (const Number& n : numbers) {
        if (!parser.isSet(n.option))
            continue;
        bool ok = false;
        *n.target = parser.value(n.option).toFloat(&ok);
        if (!ok || !std::isfinite(*n.target))
            return fail(QStringLiteral("--%1 needs a number").arg(n.option.names().first()));
    }
    if (!(sigma > 0) || !(range > 0))
        return fail(QStringLiteral("--sigma and --range must be above 0"));
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2)
        return fail(QStringLiteral("expected INPUT and OUTPUT; see --help"));
    const QString suffix = QFileInfo(positional[1]).suffix().toLower();
    if (!QStringList{"png", "jpg", "jpeg", "tif", "tiff"}.contains(suffix))
        return fail(QStringLiteral("%1: unknown output format (use .png, .jpg or .tif)").arg(positional[1]));

    TSMat input;
    QString error;
    if (!TImageIO::load(positional[0], &input, &error))
        return fail(error);
    TPrivateDisplay display;
    if (!display.ensure(&error))
        return fail(error);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QGuiApplication app(argc, argv);
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface))
        return fail(QStringLiteral("no OpenGL 3.3 core context"));

    // Lightness in 0..1 from float Lab; a and b wait on the CPU.
    const int depth = input.mat().depth();
    cv::Mat bgr, lab;
    input.mat().convertTo(bgr, CV_32F, depth == CV_16U ? 1.0 / 65535 : 1.0 / 255);
    cv::cvtColor(bgr, lab, cv::COLOR_BGR2Lab);
    cv::Mat channels[3];
    cv::split(lab, channels);
    cv::Mat lightness = channels[0] / 100.0f;

    QElapsedTimer timer;
    timer.start();
    TSFbo image(QSize(lightness.cols, lightness.rows), GL_R16F);
    image.upload(lightness);
    PyrTone filter;
    filter.sigma = sigma;
    filter.gain = gain;
    filter.coarseRatio = coarseRatio;
    filter.brightness = brightness;
    filter.contrast = contrast;
    filter.range = range;
    const TSFbo result = filter.proc(image);
    cv::Mat rgba = result.dataToMat(CV_32FC4), parts[4];
    cv::split(rgba, parts);
    const double ms = timer.nsecsElapsed() / 1e6;

    channels[0] = cv::min(cv::max(parts[0], 0.0f), 1.0f) * 100.0f;
    cv::merge(channels, 3, lab);
    cv::cvtColor(lab, bgr, cv::COLOR_Lab2BGR);
    const int outDepth = depth == CV_16U && suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg") ? 16 : 8;
    cv::Mat out;
    bgr.convertTo(out, outDepth == 16 ? CV_16U : CV_8U, outDepth == 16 ? 65535.0 : 255.0);
    if (!TImageIO::save(positional[1], out, outDepth, &error))
        return fail(error);
    std::fprintf(stderr, "pyrtone-filter: wrote %s (%dx%d, %d references, filter %.0f ms)\n", qPrintable(positional[1]),
                 out.cols, out.rows, filter.numSteps, ms);
    return 0;
}
