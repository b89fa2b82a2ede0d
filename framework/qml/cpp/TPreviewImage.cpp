#include "TPreviewImage.h"

#include "TDisplayProfileNode.h"

#include <ColorManagementSystem.h>
#include <TPreviewHub.h>

#include <QQuickWindow>
#include <QSGSimpleTextureNode>

#include <memory>

namespace {
// Keep the GPU image alive while the scene graph draws it: plainly, or
// through the display's profile.
class PreviewNode : public QSGSimpleTextureNode {
public:
    PreviewNode() { setOwnsTexture(true); }
    TSFbo image;
};
class ProfiledPreviewNode : public TDisplayProfileNode {
public:
    TSFbo image;
};

// The node of either kind over the item's rectangle, made if need be, on a
// new image when it has one.
template <typename Node>
Node* showOn(QSGNode* old, const TSFbo& image, bool imageDirty, QQuickItem& item)
{
    auto* node = old ? static_cast<Node*>(old) : new Node;
    if (imageDirty || !node->texture()) {
        // The GL objects stay the image's; the scene graph only samples them.
        GLuint texture = image.texture();
        node->setTexture(item.window()->createTextureFromNativeObject(QQuickWindow::NativeObjectTexture, &texture, 0,
                                                                      image.size()));
        node->image = image;
    }
    // Texel for pixel at 100 % and above; averaged where it is reduced.
    const bool magnified = item.width() >= image.width() - 0.5;
    node->setFiltering(magnified ? QSGTexture::Nearest : QSGTexture::Linear);
    node->setRect(item.boundingRect());
    return node;
}
} // namespace

TPreviewImage::TPreviewImage(QQuickItem* parent)
    : QQuickItem(parent)
    , m_uid(TPreviewHub::newViewerUid())
{
    setFlag(ItemHasContents);
    connect(TPreviewHub::instance(), &TPreviewHub::published, this, &TPreviewImage::take);
    connect(&ColorManagementSystem::workspace(), &ColorManagementSystem::deviceProfileChanged, this,
            &TPreviewImage::takeDisplayProfile);
    takeDisplayProfile();
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

void TPreviewImage::takeDisplayProfile()
{
    m_lookupTable = ColorManagementSystem::workspace().deviceLookupTable();
    m_lookupDirty = true;
    update();
}

QSGNode* TPreviewImage::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    const bool profiled = !m_lookupTable.isEmpty();
    // The display's profile came or went: the node of the other kind goes.
    if (old && (dynamic_cast<ProfiledPreviewNode*>(old) != nullptr) != profiled) {
        delete old;
        old = nullptr;
    }
    if (m_image.isEmpty() || width() <= 0 || height() <= 0) {
        delete old;
        return nullptr;
    }
    QSGNode* node = nullptr;
    if (profiled) {
        auto* profiledNode = showOn<ProfiledPreviewNode>(old, m_image, m_imageDirty, *this);
        if (m_lookupDirty || !old)
            profiledNode->setLookupTable(m_lookupTable, ColorManagementSystem::kLookupSize);
        node = profiledNode;
    } else {
        // Without a profile: the plain texture node, as ever.
        node = showOn<PreviewNode>(old, m_image, m_imageDirty, *this);
    }
    m_imageDirty = false;
    m_lookupDirty = false;
    return node;
}
