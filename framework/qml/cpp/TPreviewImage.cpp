#include "TPreviewImage.h"

#include <TPreviewHub.h>

#include <QQuickWindow>
#include <QSGSimpleTextureNode>

#include <memory>

namespace {
// Keeps the GPU image alive while the scene graph draws it.
class PreviewNode : public QSGSimpleTextureNode {
public:
    TSFbo image;
};
} // namespace

TPreviewImage::TPreviewImage(QQuickItem* parent)
    : QQuickItem(parent)
    , m_uid(TPreviewHub::newViewerUid())
{
    setFlag(ItemHasContents);
    connect(TPreviewHub::instance(), &TPreviewHub::published, this, &TPreviewImage::take);
}

TPreviewImage::~TPreviewImage()
{
    TPreviewHub::instance()->forget(m_uid);
}

QSize TPreviewImage::imageSize() const
{
    if (m_image.isEmpty())
        return QSize();
    const float scale = m_image.scale() > 0 ? m_image.scale() : 1.0f;
    return QSize(qRound(m_image.width() / scale), qRound(m_image.height() / scale));
}

void TPreviewImage::take(const QString& viewerUid)
{
    if (viewerUid != m_uid)
        return;
    m_image = TPreviewHub::instance()->latest(m_uid);
    m_imageDirty = true;
    emit imageChanged();
    update();
}

QSGNode* TPreviewImage::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    auto* node = static_cast<PreviewNode*>(old);
    if (m_image.isEmpty() || width() <= 0 || height() <= 0) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = new PreviewNode;
        node->setOwnsTexture(true);
    }
    if (m_imageDirty || !node->texture()) {
        // The GL objects stay the image's; the scene graph only samples them.
        GLuint texture = m_image.texture();
        node->setTexture(window()->createTextureFromNativeObject(QQuickWindow::NativeObjectTexture, &texture, 0,
                                                                 m_image.size()));
        node->image = m_image;
        m_imageDirty = false;
    }
    // Texel for pixel at 100 % and above; averaged where it is reduced.
    const bool magnified = width() >= m_image.width() - 0.5;
    node->setFiltering(magnified ? QSGTexture::Nearest : QSGTexture::Linear);
    node->setRect(boundingRect());
    return node;
}
