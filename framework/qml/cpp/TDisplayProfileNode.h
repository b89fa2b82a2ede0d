#pragma once

#include <QSGGeometryNode>
#include <QSGTexture>
#include <QVector>

class DisplayProfileMaterial;

// A textured rectangle of the scene graph whose colours go through a 3D
// lookup table on the way to the screen (sRGB to the display's profile,
// trilinear between the lattice points). Made and changed on the render
// thread, in updatePaintNode.
class TDisplayProfileNode : public QSGGeometryNode {
public:
    TDisplayProfileNode();
    ~TDisplayProfileNode() override;

    // The node owns the texture.
    void setTexture(QSGTexture* texture);
    QSGTexture* texture() const;
    void setFiltering(QSGTexture::Filtering filtering);
    void setRect(const QRectF& rect);
    // RGB triples on size^3 points, red fastest; uploaded to the GPU here.
    void setLookupTable(const QVector<float>& table, int size);

private:
    QSGGeometry m_geometry;
    DisplayProfileMaterial* m_opaque;
    DisplayProfileMaterial* m_translucent;
};
