// Cost of the edge-preserving filter of the adjustment stage against one
// 15-tap Gaussian pass over the same image (the filter should stay within
// three of those). Usage: strovane-bench-filters [PHOTO] [RUNS]
// Needs an X display (xvfb-run -a).

#include "BenchSupport.h"
#include "StrovanePassFactory.h"
#include "passes/GaussPass.h"

#include <FastBilateralFilter.h>
#include <Strobase.h>
#include <TGL.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    work(); // compiles the shaders
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        TGL::funcs()->glFinish();
        timer.start();
        work();
        TGL::funcs()->glFinish();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    Strobase::setOpenGLDefaults();
    QGuiApplication app(argc, argv);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;
    BenchContext bench("strovane-bench-filters");
    if (!bench.start(argc > 1 ? argv[1] : nullptr))
        return 1;
    const TSMat& image = bench.image();
    TSFbo input(QSize(image.width(), image.height()), GL_RGBA8);
    input.upload(image.mat());
    TSFbo output(input.size(), GL_RGBA8);

    StrovanePassFactory factory;
    std::unique_ptr<RenderPass> pass(factory.create(QStringLiteral("Gauss")));
    auto* gauss = static_cast<GaussPass*>(pass.get());
    const double gaussMs = medianMs(runs, [&] { gauss->draw({input.texture(), input.size(), false, 1}, output); });

    velmora::image_processing::algorithms::opengl::FastBilateralFilter bilateral;
    const int spatial = int(std::max(input.width(), input.height()) / 32);
    bilateral.setup(input, input, spatial, 0.15f, 1);
    const double bilateralMs = medianMs(runs, [&] { bilateral.proc(input, input, output); });

    std::printf("%dx%d, median of %d runs on %s\n", input.width(), input.height(), runs,
                reinterpret_cast<const char*>(TGL::funcs()->glGetString(GL_RENDERER)));
    std::printf("  15-tap Gaussian pass  %8.1f ms\n", gaussMs);
    std::printf("  bilateral filter      %8.1f ms  (%.2f x the Gaussian pass)\n", bilateralMs, bilateralMs / gaussMs);
    return 0;
}
