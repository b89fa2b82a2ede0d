// The painting module as the QML engine loads it: `import TEStrovane 1.0`.
#include <TEFactory.h>

#include <QCoreApplication>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>

#include <gtest/gtest.h>

#include <memory>

TEST(QmlModule, ImportingTheModuleRegistersTheTypeTheEffectAndTheResources)
{
    QQmlEngine engine;
    engine.addImportPath(QCoreApplication::applicationDirPath() + QStringLiteral("/qml"));
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.5\nimport TEStrovane 1.0\nTStrovane { stroke_brush_size: 0.75 }", QUrl());
    std::unique_ptr<QObject> effect(component.create());
    ASSERT_TRUE(effect) << component.errorString().toStdString();
    EXPECT_EQ(effect->property("stroke_brush_size").toFloat(), 0.75f);
    EXPECT_EQ(effect->property("canvas_type").toString(), QStringLiteral("7648351e-1332-4812-883b-4d8e92f49613"));
    EXPECT_TRUE(effect->property("showPainting").toBool());

    EXPECT_TRUE(TEFactory::isRegistered(QStringLiteral("TStrovane")));
    const QString shaders = QStringLiteral(":/TEStrovane/strovane/shaders/");
    for (const char* name : {"basicadjust", "diffgauss", "flowbilateral", "gauss", "hsladjust", "lab2rgb", "lic",
                             "painter", "renderimage", "rgb2lab", "sepgauss", "sst", "texturizer", "tfm", "vignette"})
        EXPECT_TRUE(QFile::exists(shaders + QLatin1String(name) + QStringLiteral(".frag"))) << name;
    for (const char* name : {"fullscreen", "texturizer", "painter"})
        EXPECT_TRUE(QFile::exists(shaders + QLatin1String(name) + QStringLiteral(".vert"))) << name;
    for (const char* screen : {"TModuleEntry", "TWalkThrough", "TMainPreferenceDialog", "TestCodeStrovane", "TStartup",
                               "TMainPreference"})
        EXPECT_TRUE(QFile::exists(QStringLiteral(":/TEStrovane/") + QLatin1String(screen) + QStringLiteral(".qml")))
            << screen;

    QQmlComponent bench(&engine, QUrl(QStringLiteral("qrc:/TEStrovane/TestCodeStrovane.qml")));
    std::unique_ptr<QObject> benchScreen(bench.create());
    ASSERT_TRUE(benchScreen) << bench.errorString().toStdString();

    QQmlComponent entry(&engine, QUrl(QStringLiteral("qrc:/TEStrovane/TModuleEntry.qml")));
    std::unique_ptr<QObject> screen(entry.create());
    ASSERT_TRUE(screen) << entry.errorString().toStdString();
    EXPECT_TRUE(screen->property("teffect").value<QObject*>());
}
