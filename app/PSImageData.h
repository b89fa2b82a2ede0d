#pragma once

#include <IPCParams.h>
#include <TSMat.h>

#include <QObject>
#include <QString>

// The host image of a filter run, as the main window's QML reads and
// writes it: loads the planes (reduced to the GPU's working size), saves
// the result back at the host's size, and keeps the preset id.
class PSImageData : public QObject {
    Q_OBJECT
public:
    // record: the exchange's record as it was checked against the segments;
    // its sizes are kept and used, whatever the plug-in writes later. The
    // planes, profile and preset block are not owned.
    PSImageData(const IPCParams& record, uchar* plane0, uchar* plane1, uchar* plane2, uchar* profile,
                char* presetBlock, QObject* parent = nullptr);

    Q_INVOKABLE bool loadPSImage();
    Q_INVOKABLE bool savePSImage(const TSMat& outIm);
    Q_INVOKABLE QString getPresetIdFromPS() const;
    Q_INVOKABLE void savePresetIdToPS(const QString& pid);

    // The host image as loadPSImage() hands it out; empty when it cannot be
    // read.
    cv::Mat readImage() const;

    // The longest side the program works at on this GPU.
    static int workingSizeLimit(const QString& renderer, int maxTextureSize);
    // The image reduced to the limit (bicubic), or as it is.
    static cv::Mat toWorkingSize(const cv::Mat& image, int limit);

signals:
    void psImageLoaded(TSMat inImage);
    void psImageSaved(bool bSaved);

private:
    const IPCParams m_params;
    uchar* m_planes[3];
    uchar* m_profile;
    char* m_presetBlock;
};
