// Qt Quick Test runner for the framework's QML modules: the program's OpenGL
// defaults, its QML folder, and a probe that reads back the previews views
// were handed.
#include "QmlTestSetup.h"

#include <TGLWorkerThread.h>
#include <TPreviewHub.h>
#include <TSMat.h>

#include <QColor>
#include <QUrl>
#include <QtQuickTest>

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
};

class Setup : public QmlTestSetup {
    Q_OBJECT
protected:
    void publish(QQmlContext* context) override { context->setContextProperty(QStringLiteral("probe"), &m_probe); }

private:
    Probe m_probe;
};

QUICK_TEST_MAIN_WITH_SETUP(framework_qml, Setup)

#include "QmlTestMain.moc"
