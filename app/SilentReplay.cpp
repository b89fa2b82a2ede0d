#include "SilentReplay.h"

#include "PSImageData.h"
#include "VmAppDelegate.h"

#include <TDatabaseInterface.h>
#include <TEFactory.h>
#include <TEffect.h>
#include <TPresetFile.h>

#include <QDebug>
#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>

#include <memory>

namespace {

// The effect's preset: the stored one, or the default style with a warning.
void applyStoredPreset(TEffect& effect, const QString& id)
{
    TDatabaseInterface database;
    const QString text = id.isEmpty() ? QString() : database.presetOf(id);
    if (text.isEmpty()) {
        qWarning().noquote() << QStringLiteral("No stored preset \"%1\": painting in the default style.").arg(id);
        return;
    }
    QVariantMap preset;
    QString error;
    if (!TPresetFile::fromText(text.toUtf8(), &preset, &error) || !effect.setPreset(preset))
        qWarning().noquote() << QStringLiteral("The preset \"%1\" cannot be used (%2): painting in the default style.")
                                    .arg(id, error);
    else
        qDebug().noquote() << "Replaying preset" << id;
}

} // namespace

int SilentReplay::run(QQmlEngine& engine, const VmAppDelegate& delegate, PSImageData& image)
{
    // The brushes and canvases, as the window's start-up copies them.
    delegate.copyTgrcToLocalAppData();
    // Importing the module registers the painting effect with the factory.
    QQmlComponent module(&engine);
    module.setData("import QtQml 2.2\nimport TEStrovane 1.0\nQtObject {}", QUrl());
    const std::unique_ptr<QObject> loaded(module.create());
    std::unique_ptr<TEffect> effect(qobject_cast<TEffect*>(TEFactory::createEffect(QStringLiteral("TStrovane"))));
    if (!loaded || !effect) {
        qWarning().noquote() << "The painting module cannot be loaded:" << module.errorString();
        return VmAppDelegate::ERR_UNKNOWN;
    }
    effect->setNotificationEnabled(false);
    applyStoredPreset(*effect, image.getPresetIdFromPS());

    const cv::Mat input = image.readImage();
    if (input.empty())
        return VmAppDelegate::ERR_UNKNOWN;
    effect->setInput(TSMat(input));
    effect->setDecimation(1);
    QString error;
    QEventLoop loop;
    QObject::connect(effect.get(), &TEffect::procFinished, &loop, [&](const QString&, const QString& e) {
        error = e;
        loop.quit();
    });
    effect->procOutput();
    loop.exec();
    if (!error.isEmpty() || effect->output().isEmpty()) {
        qWarning().noquote() << "The painting could not be made:" << error;
        return VmAppDelegate::ERR_UNKNOWN;
    }
    return image.savePSImage(effect->output()) ? VmAppDelegate::ERR_NONE : VmAppDelegate::ERR_UNKNOWN;
}
