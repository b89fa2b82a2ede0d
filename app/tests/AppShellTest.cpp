#include "AppStart.h"
#include "VmAppDelegate.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Mode = AppStart::Mode;

TEST(AppStart, ModeComesFromTheProgramNameAndTheFirstArgument)
{
    EXPECT_EQ(AppStart::chooseMode("vmstrovane2", {}), Mode::Standalone);
    EXPECT_EQ(AppStart::chooseMode("/opt/strovane/vmstrovane2", {"photo.jpeg"}), Mode::ExternalEditor);
    EXPECT_EQ(AppStart::chooseMode("Velmora_Strovane", {}), Mode::PhotoshopPlugin);
    EXPECT_EQ(AppStart::chooseMode("Velmora Strovane", {"photo.jpeg", "-x"}), Mode::PhotoshopPlugin);
    EXPECT_EQ(AppStart::chooseMode("velmora_strovane", {}), Mode::Standalone) << "compared byte for byte";
}

TEST(AppStart, OnlyJpegTiffAndPngAreAccepted)
{
    for (const char* ok : {"photo.jpeg", "photo.Tif", "a/b.c/PHOTO.PNG", "x.jpg", "x.tiff"})
        EXPECT_TRUE(AppStart::isSupportedImage(QLatin1String(ok))) << ok;
    for (const char* refused : {"photo.bmp", "photo", "archive.tar.gz", "photo.jpg.bak", ""})
        EXPECT_FALSE(AppStart::isSupportedImage(QLatin1String(refused))) << refused;
}

TEST(AppStart, FontScaleFromTheWidestCharacter)
{
    EXPECT_FLOAT_EQ(AppStart::fontScale(23), 1.0f);
    EXPECT_FLOAT_EQ(AppStart::fontScale(48), 0.5f);
    EXPECT_FLOAT_EQ(AppStart::fontScale(30), 0.78125f);
    EXPECT_FLOAT_EQ(AppStart::fontScale(1000), 0.5f);
}

TEST(AppStart, SingleInstanceKeyIsTheNamesMd5)
{
    const QString key = AppStart::singleInstanceKey();
    EXPECT_EQ(key.size(), 32);
    EXPECT_EQ(key, key.toLower());
    EXPECT_EQ(key, QString::fromLatin1(QCryptographicHash::hash("Velmora Strovane 2", QCryptographicHash::Md5).toHex()));
}

class Delegate : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A home of its own: ctest runs these tests in parallel processes.
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Velmora Labs"));
        QCoreApplication::setApplicationName(QStringLiteral("Velmora Strovane 2"));
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.5"));
        dataLocation = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
        QDir(dataLocation).removeRecursively();
        QDir(QDir::cleanPath(dataLocation + "/../Velmora Strovane")).removeRecursively();
    }
    QTemporaryDir home;
    QString dataLocation;
};

TEST_F(Delegate, PropertiesAndTheirSignals)
{
    VmAppDelegate d;
    QSignalSpy mode(&d, &VmAppDelegate::editorModeChanged), file(&d, &VmAppDelegate::fileNameChanged);
    EXPECT_EQ(d.editorMode(), VmAppDelegate::Standalone);
    EXPECT_EQ(d.errorCode(), VmAppDelegate::ERR_NONE);
    EXPECT_FALSE(d.silentMode());
    d.setProperty("editorMode", VmAppDelegate::ExternalEditor);
    EXPECT_EQ(d.editorMode(), VmAppDelegate::ExternalEditor);
    EXPECT_EQ(mode.count(), 0) << "the mode changes without a signal";
    d.setProperty("fileName", QStringLiteral("/tmp/a.jpg"));
    d.setProperty("fileName", QStringLiteral("/tmp/a.jpg"));
    EXPECT_EQ(file.count(), 2) << "the file name signals even when unchanged";
    EXPECT_EQ(d.getAppName(), QStringLiteral("Velmora Strovane 2"));
    EXPECT_EQ(d.getAppVersion(), QStringLiteral("2.0.5"));
    EXPECT_TRUE(d.getAppResourceDirPath().endsWith(QStringLiteral("/Resources/")));
    EXPECT_TRUE(d.getUserPictureDirUrl().isLocalFile());
    EXPECT_EQ(d.getSaveFolderUrl(QStringLiteral("/tmp/out/x.jpg")), QUrl::fromLocalFile(QStringLiteral("/tmp/out")));
}

TEST_F(Delegate, SaveProposalIsTheBaseNameWithEdit)
{
    EXPECT_EQ(VmAppDelegate::saveProposal(QStringLiteral("/photos/beach.final.jpg"), QStringLiteral("D:/out")),
              QStringLiteral("D:/out/beach-Edit"));
    EXPECT_EQ(VmAppDelegate::saveProposal(QString(), QString()), QStringLiteral("/-Edit"));
}

// The image save dialog starts on the source's own format.
TEST_F(Delegate, TheSaveDialogsFilterFollowsTheSourcesFormat)
{
    const QStringList filters = VmAppDelegate::imageSaveFilters();
    const struct {
        const char* source;
        const char* filter;
    } cases[] = {{"/p/a.jpg", "JPEG"}, {"/p/a.JPEG", "JPEG"}, {"/p/a.tif", "TIFF"}, {"/p/a.TIFF", "TIFF"},
                 {"/p/a.png", "PNG"},  {"/p/a", "JPEG"},      {"", "JPEG"}};
    for (const auto& c : cases)
        EXPECT_TRUE(filters.at(VmAppDelegate::imageSaveFilterFor(QLatin1String(c.source))).startsWith(QLatin1String(c.filter)))
            << c.source;
}

TEST_F(Delegate, PresetFolderOfTheEarlierProgramOnlyWhenItExists)
{
    VmAppDelegate d;
    EXPECT_TRUE(d.getUserPresetFolderPath(QStringLiteral("Velmora Strovane 2")).isEmpty());
    const QString folder =
        QDir::cleanPath(dataLocation + "/../") + QStringLiteral("/Velmora Strovane/QML/OfflineStorage/Databases");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(d.getUserPresetFolderPath(QStringLiteral("Velmora Strovane 2")), folder);
    EXPECT_TRUE(d.getUserPresetFolderPath(QStringLiteral("velmora strovane")).isEmpty()) << "case-sensitive";
    EXPECT_TRUE(d.getUserPresetFolderPath(QStringLiteral("Velmora Lumisk")).isEmpty()) << "no such folder";
    EXPECT_TRUE(d.getUserPresetFolderPath(QString()).isEmpty());
}

TEST_F(Delegate, TgrcIsCopiedOnceIntoTheUsersFolder)
{
    VmAppDelegate d;
    const QString destination = dataLocation + QStringLiteral("/tgrc");
    ASSERT_TRUE(d.copyTgrcToLocalAppData());
    const QStringList copied = QDir(destination).entryList(QDir::Files);
    EXPECT_EQ(copied, QDir(QCoreApplication::applicationDirPath() + "/tgrc").entryList(QDir::Files));
    EXPECT_FALSE(copied.isEmpty());
    // A second run copies nothing, also not over a file the user removed.
    QFile::remove(destination + QLatin1Char('/') + copied.first());
    ASSERT_TRUE(d.copyTgrcToLocalAppData());
    EXPECT_EQ(QDir(destination).entryList(QDir::Files).size(), copied.size() - 1);
}
