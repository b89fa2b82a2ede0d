#include "VmAppDelegate.h"

#include "AppStart.h"

#include <ColorManagementSystem.h>

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>

#include <algorithm>

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
    const QUrl url(urlStr, QUrl::TolerantMode);
    if (url.isLocalFile() || url.scheme().isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            emit urlOpenFailed(urlStr);
        return;
    }
    // The desktop's opener only says whether it started; whether it found a
    // browser is its exit status.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::errorOccurred, this, [this, opener, urlStr](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            emit urlOpenFailed(urlStr);
            opener->deleteLater();
        }
    });
    connect(opener, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this, opener, urlStr](int code, QProcess::ExitStatus status) {
                if (status != QProcess::NormalExit || code != 0)
                    emit urlOpenFailed(urlStr);
                opener->deleteLater();
            });
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->start(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

void VmAppDelegate::receiveHandOver(const QString& message)
{
    // Only the path of an image file that exists is taken from the other copy.
    const QFileInfo file(message);
    if (file.isAbsolute() && file.isFile() && AppStart::isSupportedImage(message))
        emit imageHandedOver(file.absoluteFilePath());
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

namespace {

struct ImageFormat {
    const char* filter;
    const char* suffix;
};
const ImageFormat kSaveFormats[] = {
    {"JPEG Images (*.jpg *.jpeg)", "jpg"},
    {"TIFF Images (*.tif *.tiff)", "tif"},
    {"PNG Images (*.png)", "png"},
};

QString existingFolder(const QUrl& folderUrl)
{
    const QString folder = folderUrl.toLocalFile();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

// A dialog over the main window, centred on it.
void placeOver(QFileDialog& dialog, QWindow* mainWindow)
{
    if (!mainWindow)
        return;
    dialog.winId();
    dialog.windowHandle()->setTransientParent(mainWindow);
    const QRect frame = mainWindow->geometry();
    dialog.adjustSize();
    dialog.move(frame.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

} // namespace

QStringList VmAppDelegate::imageSaveFilters()
{
    QStringList filters;
    for (const ImageFormat& f : kSaveFormats)
        filters << QString::fromLatin1(f.filter);
    return filters;
}

int VmAppDelegate::imageSaveFilterFor(const QString& sourcePath)
{
    const QString suffix = QFileInfo(sourcePath).suffix().toLower();
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return 1;
    if (suffix == QLatin1String("png"))
        return 2;
    return 0;
}

QUrl VmAppDelegate::chooseImageToOpen(const QUrl& folderUrl)
{
    QFileDialog dialog(nullptr, QStringLiteral("Open an Image"), existingFolder(folderUrl),
                       QStringLiteral("Image files (*.jpg *.jpeg *.tif *.tiff *.png)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    placeOver(dialog, m_mainWindow);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(dialog.selectedFiles().first());
}

QUrl VmAppDelegate::chooseImageToSave(const QUrl& sourceUrl, const QUrl& folderUrl)
{
    const QString source = sourceUrl.toLocalFile();
    const int format = imageSaveFilterFor(source);
    const QStringList filters = imageSaveFilters();
    // Never the source itself: one Return would overwrite the photograph.
    const QString suffix = source.isEmpty() ? QString::fromLatin1(kSaveFormats[format].suffix) : QFileInfo(source).suffix();
    const QString proposal =
        saveProposal(source.isEmpty() ? tr("Painting") : source, existingFolder(folderUrl)) + QLatin1Char('.') + suffix;
    QFileDialog dialog(nullptr, QStringLiteral("Save Image"), proposal, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectNameFilter(filters.at(format));
    dialog.selectFile(QFileInfo(proposal).fileName());
    // A name typed without an extension takes the chosen format's.
    dialog.setDefaultSuffix(QString::fromLatin1(kSaveFormats[format].suffix));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
        const int i = std::max(0, int(filters.indexOf(filter)));
        dialog.setDefaultSuffix(QString::fromLatin1(kSaveFormats[i].suffix));
    });
    placeOver(dialog, m_mainWindow);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(dialog.selectedFiles().first());
}

bool VmAppDelegate::eventFilter(QObject*, QEvent*)
{
    return false;
}
