#include "VmAppDelegate.h"

#include <ColorManagementSystem.h>

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

VmAppDelegate::VmAppDelegate(QObject* parent)
    : QObject(parent)
{
}

void VmAppDelegate::setFileName(const QString& name)
{
    qDebug() << "VmAppDelegate::setFileName, fileName: " << name;
    m_fileName = name;
    emit fileNameChanged(name);
}

bool VmAppDelegate::setMainWindow(QWindow* window)
{
    m_mainWindow = window;
    return ColorManagementSystem::workspace().setDeviceColorProfile(m_mainWindow);
}

void VmAppDelegate::onScreenChanged(QScreen*)
{
    qDebug() << "VmAppDelegate::onScreenChanged";
    ColorManagementSystem::workspace().setDeviceColorProfile(m_mainWindow);
    emit deviceProfileUpdated();
}

void VmAppDelegate::openUrl(QString urlStr)
{
    QDesktopServices::openUrl(QUrl(urlStr, QUrl::TolerantMode));
}

QString VmAppDelegate::getAppName() const
{
    return QCoreApplication::applicationName();
}

QString VmAppDelegate::getAppVersion() const
{
    return QCoreApplication::applicationVersion();
}

QString VmAppDelegate::getUserPresetFolderPath(const QString& productName) const
{
    QString product;
    if (productName.contains(QLatin1String("Strovane")))
        product = QStringLiteral("Velmora Strovane");
    else if (productName.contains(QLatin1String("Lumisk")))
        product = QStringLiteral("Velmora Lumisk");
    else
        return QString();
    // The earlier program of the same name keeps its databases beside ours.
    const QString folder = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/../"))
        + QLatin1Char('/') + product + QStringLiteral("/QML/OfflineStorage/Databases");
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString VmAppDelegate::getAppResourceDirPath() const
{
    return QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("Resources") + QDir::separator();
}

QUrl VmAppDelegate::getUserPictureDirUrl() const
{
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::PicturesLocation);
    if (folders.isEmpty())
        folders = QStandardPaths::standardLocations(QStandardPaths::HomeLocation);
    return QUrl::fromLocalFile(folders.value(0));
}

bool VmAppDelegate::copyTgrcToLocalAppData() const
{
    const QDir source(QCoreApplication::applicationDirPath() + QStringLiteral("/tgrc"));
    const QString destination = QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/tgrc");
    // An existing folder is kept as it is, even an empty one.
    if (QFileInfo::exists(destination))
        return true;
    if (!QDir().mkpath(destination))
        return false;
    for (const QString& name : source.entryList(QDir::Files, QDir::Unsorted))
        QFile::copy(source.filePath(name), destination + QLatin1Char('/') + name);
    return true;
}

QString VmAppDelegate::saveProposal(const QString& inFileName, const QString& folderPath)
{
    const QString baseName = QFileInfo(inFileName).fileName().section(QLatin1Char('.'), 0, 0);
    return folderPath + QLatin1Char('/') + baseName + QStringLiteral("-Edit");
}

QString VmAppDelegate::getSaveFileName(const QString& inFileName, const QString& folderPath, const QString& filter) const
{
    return QFileDialog::getSaveFileName(nullptr, tr("Save File"), saveProposal(inFileName, folderPath), filter);
}

QUrl VmAppDelegate::getSaveFileUrl(const QUrl& inFileNameUrl, const QUrl& folderUrl, const QString& filter) const
{
    const QString chosen = getSaveFileName(inFileNameUrl.toLocalFile(), folderUrl.toLocalFile(), filter);
    return chosen.isEmpty() ? QUrl() : QUrl::fromLocalFile(chosen);
}

QUrl VmAppDelegate::getSaveFolderUrl(const QString& saveFilePath) const
{
    return QUrl::fromLocalFile(QFileInfo(saveFilePath).absolutePath());
}

bool VmAppDelegate::eventFilter(QObject*, QEvent*)
{
    return false;
}
