#include "PSImageData.h"

#include <CvUtils.h>
#include <ImageIOManager.h>
#include <TStroServer.h>

#include <QDebug>
#include <opencv2/imgproc.hpp>

#include <cstring>

PSImageData::PSImageData(const IPCParams& record, uchar* plane0, uchar* plane1, uchar* plane2, uchar* profile,
                         char* presetBlock, QObject* parent)
    : QObject(parent), m_params(record), m_planes{plane0, plane1, plane2}, m_profile(profile),
      m_presetBlock(presetBlock)
{
}

int PSImageData::workingSizeLimit(const QString& renderer, int maxTextureSize)
{
    if (renderer.contains(QLatin1String("intel"), Qt::CaseInsensitive) && renderer.contains(QLatin1String("4600")))
        return qBound(2000, maxTextureSize, 4000);
    if (maxTextureSize > 16000)
        return 8000;
    if (maxTextureSize > 8000)
        return 4000;
    return 2000;
}

cv::Mat PSImageData::toWorkingSize(const cv::Mat& image, int limit)
{
    const int longer = std::max(image.cols, image.rows);
    if (longer <= limit)
        return image;
    const float scale = float(limit) / float(longer);
    cv::Mat reduced;
    cv::resize(image, reduced, cv::Size(), scale, scale, cv::INTER_CUBIC);
    return reduced;
}

cv::Mat PSImageData::readImage() const
{
    cv::Mat image;
    QString error;
    if (!ImageIOManager::loadFromPS(m_params.width, m_params.height, m_planes[0], m_planes[1], m_planes[2],
                                    m_params.rowBytes, m_params.bytesPerSample, m_params.isGray != 0, m_profile,
                                    m_params.iccSize, image, &error)) {
        qWarning().noquote() << "The host image cannot be read:" << error;
        return cv::Mat();
    }
    image = toWorkingSize(image, workingSizeLimit(TStroServer::gpuRenderer(), TStroServer::glMaxTextureSize()));
    if (image.channels() == 4)
        return CvUtils::convertC4ToC3(image);
    return image.channels() == 3 ? image : cv::Mat();
}

bool PSImageData::loadPSImage()
{
    const cv::Mat image = readImage();
    if (image.empty())
        return false;
    emit psImageLoaded(TSMat(image));
    return true;
}

bool PSImageData::savePSImage(const TSMat& outIm)
{
    qDebug() << "PSImageData::savePSImage, image size:" << outIm.width() << "x" << outIm.height();
    bool saved = false;
    if (!outIm.isEmpty()) {
        cv::Mat image = outIm.mat().channels() == 3 ? CvUtils::convertC3ToC4(outIm.mat()) : outIm.mat();
        // An image reduced on loading goes back at the host's size.
        if (!image.empty() && (image.cols != m_params.width || image.rows != m_params.height))
            cv::resize(image, image, cv::Size(m_params.width, m_params.height), 0, 0, cv::INTER_CUBIC);
        QString error;
        saved = ImageIOManager::saveToPS(m_params.width, m_params.height, m_planes[0], m_planes[1], m_planes[2],
                                         m_params.rowBytes, m_params.bytesPerSample, m_params.isGray != 0,
                                         m_profile, m_params.iccSize, image, &error);
        if (!saved)
            qWarning().noquote() << "The painting cannot be handed back:" << error;
    }
    emit psImageSaved(saved);
    return saved;
}

QString PSImageData::getPresetIdFromPS() const
{
    return QString::fromLocal8Bit(m_presetBlock, int(strnlen(m_presetBlock, sizeof(IPCParams::presetId))));
}

void PSImageData::savePresetIdToPS(const QString& pid)
{
    ipcCopyText(m_presetBlock, sizeof(IPCParams::presetId), pid.toLocal8Bit().constData());
}
