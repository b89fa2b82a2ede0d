// Stroke placement alone, on the line image the painting pipeline makes of
// a photograph (its preprocessing image, at most 2048 pixels on the longest
// side). Usage: strovane-bench-placement [PHOTO] [LEVEL] [RUNS]
// Needs an X display (xvfb-run -a).

#include "BenchSupport.h"
#include "StrovaneModule.h"
#include "passes/PainterPass.h"
#include "passes/StrokePlacement.h"

#include <GLCache.h>
#include <Strobase.h>
#include <TEBase.h>
#include <TEBaseWorker.h>
#include <TEFactory.h>
#include <TUid.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char** argv)
{
    Strobase::setOpenGLDefaults();
    QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int level = argc > 2 ? std::clamp(atoi(argv[2]), 0, 2) : 2;
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 7;
    BenchContext bench("strovane-bench-placement");
    if (!bench.start(argc > 1 ? argv[1] : nullptr))
        return 1;
    const TSMat& image = bench.image();

    // One request through the real worker leaves its line image in the cache.
    Strobase::init(QString(), QUrl(), QCoreApplication::applicationDirPath() + QStringLiteral("/tgrc"));
    registerStrovaneClasses();
    std::unique_ptr<TEBase> effect(TEFactory::createEffect(QStringLiteral("TStrovane")));
    std::unique_ptr<TEBaseWorker> worker(TEFactory::createWorker(QStringLiteral("TStrovane"), 1, 0));
    TProcRequest request;
    request.className = QStringLiteral("TStrovane");
    request.mode = TProcRequest::Output;
    request.state = effect->stateData();
    request.input = image;
    request.decimation = 8;
    TSFbo output;
    worker->processProcReq(request, output);
    const TSFbo lineImage = GLCache::get(QStringLiteral("TStrovaneWorker::Preprocessing"), TUid::hash(2048, image.uid()));
    if (lineImage.isEmpty()) {
        std::fprintf(stderr, "strovane-bench-placement: no line image\n");
        return 1;
    }
    cv::Mat grey;
    cv::cvtColor(lineImage.dataToMat(CV_8UC4, true, false), grey, cv::COLOR_RGB2GRAY);

    std::vector<double> times;
    size_t strokes = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        strokes = placeStrokes(grey, PainterPass::inkTarget(level)).size();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("placement on the %dx%d line image of %s, density level %d: %zu strokes, median %.1f ms of %d runs\n",
                grey.cols, grey.rows, qPrintable(bench.photo()), level, strokes, times[times.size() / 2], runs);
    worker.reset();
    GLCache::clear();
    return 0;
}
