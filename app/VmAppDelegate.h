#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <QScreen>
class QWindow;

// What the user interface asks of the host program: identity, run mode, the
// file being edited, the status for the Photoshop plug-in, folders, save
// dialogs, opening a web page, and the screen's colour profile.
class VmAppDelegate : public QObject {
    Q_OBJECT
    Q_PROPERTY(EditorMode editorMode READ editorMode WRITE setEditorMode NOTIFY editorModeChanged)
    Q_PROPERTY(ErrorCode errorCode READ errorCode WRITE setErrorCode)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName NOTIFY fileNameChanged)
    Q_PROPERTY(bool silentMode READ silentMode WRITE setSilentMode)
public:
    enum EditorMode { Standalone = 0, PhotoshopPlugin = 1, ExternalEditor = 2 };
    Q_ENUM(EditorMode)
    enum ErrorCode { ERR_NONE = 0, ERR_USERCANCELLED = 1, ERR_UNKNOWN = 2 };
    Q_ENUM(ErrorCode)

    explicit VmAppDelegate(QObject* parent = nullptr);

    EditorMode editorMode() const { return m_editorMode; }
    // Stores the mode; the change signal is declared but not emitted.
    void setEditorMode(EditorMode mode) { m_editorMode = mode; }
    ErrorCode errorCode() const { return m_errorCode; }
    void setErrorCode(ErrorCode code) { m_errorCode = code; }
    QString fileName() const { return m_fileName; }
    // Emits fileNameChanged even when the name is the same.
    void setFileName(const QString& name);
    bool silentMode() const { return m_silentMode; }
    void setSilentMode(bool silent) { m_silentMode = silent; }

    // Stores the window and applies its screen's colour profile; true when
    // the framework took a profile from the screen.
    bool setMainWindow(QWindow* window);

    Q_INVOKABLE QString getAppName() const;
    Q_INVOKABLE QString getAppVersion() const;
    Q_INVOKABLE QString getUserPresetFolderPath(const QString& productName = QString()) const;
    Q_INVOKABLE QString getAppResourceDirPath() const;
    Q_INVOKABLE QUrl getUserPictureDirUrl() const;
    Q_INVOKABLE bool copyTgrcToLocalAppData() const;
    Q_INVOKABLE QString getSaveFileName(const QString& inFileName = QString(), const QString& folderPath = QString(),
                                        const QString& filter = QString()) const;
    Q_INVOKABLE QUrl getSaveFileUrl(const QUrl& inFileNameUrl = QUrl(), const QUrl& folderUrl = QUrl(),
                                    const QString& filter = QString()) const;
    Q_INVOKABLE QUrl getSaveFolderUrl(const QString& saveFilePath) const;

    // The image dialogs of the program: they start in the given folder (the
    // home folder when it is missing) and answer a local-file URL, empty
    // when cancelled. Saving proposes the source's base name + "-Edit" in
    // the source's format, with that format's filter selected.
    Q_INVOKABLE QUrl chooseImageToOpen(const QUrl& folderUrl);
    Q_INVOKABLE QUrl chooseImageToSave(const QUrl& sourceUrl, const QUrl& folderUrl);

    // The proposal of the save dialogs: folder/base-name-Edit.
    static QString saveProposal(const QString& inFileName, const QString& folderPath);
    // The image save dialog's filters, and the index of the one that
    // matches the source's format (JPEG when it has none of ours).
    static QStringList imageSaveFilters();
    static int imageSaveFilterFor(const QString& sourcePath);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void fileNameChanged(QString fileName);
    void editorModeChanged(EditorMode mode);
    void deviceProfileUpdated();
    // No program could show the address (no browser, no desktop handler).
    void urlOpenFailed(QString url);
    // Another copy of the program was started with this image.
    void imageHandedOver(QString path);

public slots:
    void onScreenChanged(QScreen* screen);
    void openUrl(QString urlStr);
    // A message from a second copy: the path of an image it was given.
    void receiveHandOver(const QString& message);

private:
    EditorMode m_editorMode = Standalone;
    QString m_fileName;
    ErrorCode m_errorCode = ERR_NONE;
    bool m_silentMode = false;
    QWindow* m_mainWindow = nullptr;
};
