// Qt Quick Test runner for the framework's QML modules: the program's OpenGL
// defaults, its QML folder, and a probe that reads back the previews views
// were handed.
#include "QmlTestSetup.h"

#include <TGLWorkerThread.h>
#include <TPreviewHub.h>
#include <TSMat.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QtQuickTest>

#include <opencv2/imgcodecs.hpp>

class Probe : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUrl exampleUrl READ exampleUrl CONSTANT)
public:
    QUrl exampleUrl() const
    {
        return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Resources/images/example.jpg"));
    }

    // The colour of a pixel of the preview a view was handed, read back
    // from the GPU.
    Q_INVOKABLE QColor previewPixel(const QString& viewerUid, int x, int y) const
    {
        const TSFbo image = TPreviewHub::instance()->latest(viewerUid);
        cv::Mat m;
        TGLWorkerThread::instance()->runBlocking([&] { m = image.dataToMat(CV_8UC3, true, true); });
        if (x < 0 || y < 0 || x >= m.cols || y >= m.rows)
            return QColor();
        const auto p = m.at<cv::Vec3b>(y, x);
        return QColor(p[2], p[1], p[0]);
    }

    // A brush set as a user receives it, outside the brush folder: its
    // description (one frame, named name) and its atlas.
    Q_INVOKABLE QUrl makeBrushSet(const QString& guid, const QString& name)
    {
        const QString json = m_sources.filePath(guid + QStringLiteral(".json"));
        QFile description(json);
        description.open(QIODevice::WriteOnly);
        const QJsonObject frame{{QStringLiteral("x"), 0}, {QStringLiteral("y"), 0}, {QStringLiteral("w"), 32},
                                {QStringLiteral("h"), 32}};
        description.write(QJsonDocument(QJsonObject{{QStringLiteral("name"), name},
                                                    {QStringLiteral("frames"), QJsonArray{QJsonObject{{QStringLiteral("frame"), frame}}}}})
                              .toJson());
        description.close();
        cv::imwrite(m_sources.filePath(guid + QStringLiteral("normal.png")).toStdString(),
                    cv::Mat(32, 64, CV_8UC4, cv::Scalar(128, 128, 255, 255)));
        return QUrl::fromLocalFile(json);
    }

private:
    QTemporaryDir m_sources;
};

class Setup : public QmlTestSetup {
    Q_OBJECT
public slots:
    // The brush and canvas folder is a copy of the program's, which tests
    // may add brush sets to.
    void applicationAvailable()
    {
        const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/tgrc"));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), m_tgrc.filePath(name));
        Strobase::init(QString(), QUrl(), m_tgrc.path());
    }

protected:
    void publish(QQmlContext* context) override { context->setContextProperty(QStringLiteral("probe"), &m_probe); }

private:
    Probe m_probe;
    QTemporaryDir m_tgrc;
};

QUICK_TEST_MAIN_WITH_SETUP(framework_qml, Setup)

#include "QmlTestMain.moc"
