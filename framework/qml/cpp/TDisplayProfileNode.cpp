#include "TDisplayProfileNode.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QSGMaterial>

// The picture's texture and the display's table; the node owns both.
class DisplayProfileMaterial : public QSGMaterial {
public:
    explicit DisplayProfileMaterial(bool blending) { setFlag(Blending, blending); }

    QSGMaterialType* type() const override
    {
        static QSGMaterialType type;
        return &type;
    }
    QSGMaterialShader* createShader() const override;
    int compare(const QSGMaterial* other) const override
    {
        const auto* o = static_cast<const DisplayProfileMaterial*>(other);
        const int byTexture = (texture ? texture->textureId() : 0) - (o->texture ? o->texture->textureId() : 0);
        return byTexture != 0 ? byTexture : int(lookupTexture) - int(o->lookupTexture);
    }

    QSGTexture* texture = nullptr;
    GLuint lookupTexture = 0;
    int lookupSize = 0;
};

namespace {

class DisplayProfileShader : public QSGMaterialShader {
public:
    // In the program's core-profile context the scene graph reads the
    // "_core" variants of these files.
    DisplayProfileShader()
    {
        setShaderSourceFile(QOpenGLShader::Vertex, QStringLiteral(":/strobaseqml/shaders/displayprofile.vert"));
        setShaderSourceFile(QOpenGLShader::Fragment, QStringLiteral(":/strobaseqml/shaders/displayprofile.frag"));
    }

    const char* const* attributeNames() const override
    {
        static const char* const names[] = {"qt_VertexPosition", "qt_VertexTexCoord", nullptr};
        return names;
    }

    void initialize() override
    {
        m_matrix = program()->uniformLocation("qt_Matrix");
        m_opacity = program()->uniformLocation("qt_Opacity");
        m_picture = program()->uniformLocation("picture");
        m_table = program()->uniformLocation("lookupTable");
        m_size = program()->uniformLocation("lookupSize");
    }

    void updateState(const RenderState& state, QSGMaterial* newMaterial, QSGMaterial*) override
    {
        if (state.isMatrixDirty())
            program()->setUniformValue(m_matrix, state.combinedMatrix());
        if (state.isOpacityDirty())
            program()->setUniformValue(m_opacity, state.opacity());
        const auto* m = static_cast<const DisplayProfileMaterial*>(newMaterial);
        program()->setUniformValue(m_picture, 0);
        program()->setUniformValue(m_table, 1);
        program()->setUniformValue(m_size, float(m->lookupSize));
        QOpenGLFunctions* f = state.context()->functions();
        f->glActiveTexture(GL_TEXTURE1);
        f->glBindTexture(GL_TEXTURE_3D, m->lookupTexture);
        f->glActiveTexture(GL_TEXTURE0);
        if (m->texture)
            m->texture->bind();
    }

private:
    int m_matrix = -1;
    int m_opacity = -1;
    int m_picture = -1;
    int m_table = -1;
    int m_size = -1;
};

} // namespace

QSGMaterialShader* DisplayProfileMaterial::createShader() const
{
    return new DisplayProfileShader;
}

TDisplayProfileNode::TDisplayProfileNode()
    : m_geometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 4)
    , m_opaque(new DisplayProfileMaterial(false))
    , m_translucent(new DisplayProfileMaterial(true))
{
    setGeometry(&m_geometry);
    // The scene graph takes the opaque one where nothing shows through.
    setMaterial(m_translucent);
    setOpaqueMaterial(m_opaque);
    setFlags(OwnsMaterial | OwnsOpaqueMaterial);
}

TDisplayProfileNode::~TDisplayProfileNode()
{
    delete m_opaque->texture;
    // Nodes go on the render thread with its context current; without one
    // the context and its textures are gone already.
    if (m_opaque->lookupTexture && QOpenGLContext::currentContext())
        QOpenGLContext::currentContext()->functions()->glDeleteTextures(1, &m_opaque->lookupTexture);
}

void TDisplayProfileNode::setTexture(QSGTexture* texture)
{
    if (texture == m_opaque->texture)
        return;
    delete m_opaque->texture;
    m_opaque->texture = m_translucent->texture = texture;
    markDirty(DirtyMaterial);
}

QSGTexture* TDisplayProfileNode::texture() const
{
    return m_opaque->texture;
}

void TDisplayProfileNode::setFiltering(QSGTexture::Filtering filtering)
{
    if (m_opaque->texture && m_opaque->texture->filtering() != filtering) {
        m_opaque->texture->setFiltering(filtering);
        markDirty(DirtyMaterial);
    }
}

void TDisplayProfileNode::setRect(const QRectF& rect)
{
    const QRectF source = m_opaque->texture ? m_opaque->texture->normalizedTextureSubRect() : QRectF(0, 0, 1, 1);
    QSGGeometry::updateTexturedRectGeometry(&m_geometry, rect, source);
    markDirty(DirtyGeometry);
}

void TDisplayProfileNode::setLookupTable(const QVector<float>& table, int size)
{
    Q_ASSERT(table.size() == 3 * size * size * size);
    QOpenGLExtraFunctions* f = QOpenGLContext::currentContext()->extraFunctions();
    GLuint& id = m_opaque->lookupTexture;
    if (!id)
        f->glGenTextures(1, &id);
    f->glBindTexture(GL_TEXTURE_3D, id);
    f->glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    f->glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    f->glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    f->glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    GLint alignment = 4;
    f->glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    f->glTexImage3D(GL_TEXTURE_3D, 0, GL_RGB16F, size, size, size, 0, GL_RGB, GL_FLOAT, table.constData());
    f->glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    f->glBindTexture(GL_TEXTURE_3D, 0);
    m_translucent->lookupTexture = id;
    m_opaque->lookupSize = m_translucent->lookupSize = size;
    markDirty(DirtyMaterial);
}
