#pragma once

#include <TSMat.h>

#include <QImage>
#include <QQuickPaintedItem>

// Hatches the pixels of a picture that belong to one colour range of the
// HSL control (the same soft ranges the adjustment uses), so that the user
// sees what a range's sliders will change. The item is laid over the
// picture's preview.
class THueRangeMarks : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(TSMat image READ image WRITE setImage NOTIFY changed)
    // "red", "orange", ..., "magenta"; empty marks nothing.
    Q_PROPERTY(QString range READ range WRITE setRange NOTIFY changed)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY changed)
public:
    explicit THueRangeMarks(QQuickItem* parent = nullptr);

    TSMat image() const { return m_image; }
    void setImage(const TSMat& image);
    QString range() const { return m_range; }
    void setRange(const QString& range);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    void paint(QPainter* painter) override;

    // The marks of a range on a BGR picture, at most maxSide pixels across:
    // hatched where the range's weight is high, clear elsewhere.
    static QImage marks(const cv::Mat& bgr, int range, const QColor& color, int maxSide);

signals:
    void changed();

private:
    void rebuild();

    TSMat m_image;
    QString m_range;
    QColor m_color{255, 255, 255, 200};
    QImage m_marks;
};
