#include "StrovanePassFactory.h"

#include "passes/BasicAdjustPass.h"
#include "passes/DiffGaussPass.h"
#include "passes/FlowBilateralPass.h"
#include "passes/GaussPass.h"
#include "passes/HSLAdjustPass.h"
#include "passes/LIC.h"
#include "passes/Lab2RGBPass.h"
#include "passes/PainterPass.h"
#include "passes/RGB2LabPass.h"
#include "passes/RenderTexturePass.h"
#include "passes/SepGaussPass.h"
#include "passes/SstPass.h"
#include "passes/TFMPass.h"
#include "passes/TexturizerPass.h"
#include "passes/VignettePass.h"

#include <QDebug>

#include <string>

namespace {
template <typename Pass>
RenderPass* make()
{
    return new Pass();
}

using Maker = RenderPass* (*)();
const std::pair<const char*, Maker> kPasses[] = {
    {"Sst", make<SstPass>},
    {"Gauss", make<GaussPass>},
    {"Tfm", make<TFMPass>},
    {"RGB2Lab", make<RGB2LabPass>},
    {"Lab2RGB", make<Lab2RGBPass>},
    {"FlowBilateral", make<FlowBilateralPass>},
    {"SepGauss", make<SepGaussPass>},
    {"DiffGauss", make<DiffGaussPass>},
    {"Painter", make<PainterPass>},
    {"HSLAdjust", make<HSLAdjustPass>},
    {"LIC", make<LIC>},
    {"Texturizer", make<TexturizerPass>},
    {"RenderTexture", make<RenderTexturePass>},
    {"Vignette", make<VignettePass>},
    {"BasicAdjust", make<BasicAdjustPass>},
};
} // namespace

const QStringList& StrovanePassFactory::passNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const auto& p : kPasses)
            n << QLatin1String(p.first);
        return n;
    }();
    return names;
}

RenderPass* StrovanePassFactory::create(const QString& name)
{
    for (const auto& p : kPasses) {
        if (name == QLatin1String(p.first)) {
            RenderPass* pass = p.second();
            pass->initialize();
            return pass;
        }
    }
    qDebug() << "no such pass:" << name;
    throw std::string("no such pass") + name.toStdString();
}
