// Draws the framework's tool icons (white line art on transparent, 25 px)
// into a folder; the build puts them into the QML modules' resources.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSize = 25;
const QColor kInk(255, 255, 255);

using Drawing = std::function<void(QPainter&)>;

bool save(const QString& path, const Drawing& draw)
{
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    draw(p);
    p.end();
    return image.save(path);
}

void magnifier(QPainter& p, bool plus)
{
    p.drawEllipse(QPointF(10.5, 10.5), 6.5, 6.5);
    p.setPen(QPen(kInk, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.5, 15.5), QPointF(21.5, 21.5));
    p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.5, 10.5), QPointF(13.5, 10.5));
    if (plus)
        p.drawLine(QPointF(10.5, 7.5), QPointF(10.5, 13.5));
}

void fit(QPainter& p)
{
    const qreal a = 3.5, b = 21.5, l = 5.5;
    for (const QPointF& c : {QPointF(a, a), QPointF(b, a), QPointF(a, b), QPointF(b, b)}) {
        const qreal dx = c.x() < 12 ? l : -l, dy = c.y() < 12 ? l : -l;
        p.drawLine(c, c + QPointF(dx, 0));
        p.drawLine(c, c + QPointF(0, dy));
    }
    p.drawRect(QRectF(8.5, 9.5, 8, 6));
}

void actualSize(QPainter& p)
{
    p.drawRoundedRect(QRectF(2.5, 5.5, 20, 14), 2, 2);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(2.5, 5.5, 20, 14), Qt::AlignCenter, QStringLiteral("1:1"));
}

void hand(QPainter& p)
{
    QPainterPath path;
    // Four fingers, a thumb and the palm as one outline.
    path.addRoundedRect(QRectF(6.5, 4.5, 3, 10), 1.5, 1.5);
    path.addRoundedRect(QRectF(9.5, 2.5, 3, 12), 1.5, 1.5);
    path.addRoundedRect(QRectF(12.5, 3.5, 3, 11), 1.5, 1.5);
    path.addRoundedRect(QRectF(15.5, 5.5, 3, 10), 1.5, 1.5);
    QPainterPath thumb;
    thumb.moveTo(6.5, 14);
    thumb.lineTo(3.5, 11);
    thumb.quadTo(2, 10.5, 2.5, 12.5);
    thumb.lineTo(6.5, 18);
    thumb.closeSubpath();
    path.addPath(thumb);
    path.addRoundedRect(QRectF(6.5, 11.5, 12, 10.5), 3.5, 3.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPath(path.simplified());
}

void turnArrow(QPainter& p, bool mirrored)
{
    if (mirrored) {
        p.translate(kSize, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(7, 9.5);
    arc.lineTo(15, 9.5);
    arc.cubicTo(24, 9.5, 24, 20.5, 15, 20.5);
    arc.lineTo(9, 20.5);
    p.drawPath(arc);
    QPainterPath head;
    head.moveTo(3, 9.5);
    head.lineTo(9, 4.5);
    head.lineTo(9, 14.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPath(head);
}

void picture(QPainter& p, bool add)
{
    QPainterPath page;
    page.moveTo(4.5, 2.5);
    page.lineTo(14.5, 2.5);
    page.lineTo(19.5, 7.5);
    page.lineTo(19.5, 22.5);
    page.lineTo(4.5, 22.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(14.5, 2.5), QPointF(14.5, 7.5), QPointF(19.5, 7.5)}));
    p.setBrush(kInk);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(9, 10), 1.8, 1.8);
    p.drawPolygon(QPolygonF({QPointF(6, 20), QPointF(10.5, 14), QPointF(13, 17), QPointF(15, 15), QPointF(18, 20)}));
    if (add) {
        p.setBrush(QColor(0x2a, 0x2a, 0x2a));
        p.setPen(QPen(kInk, 1.5));
        p.drawEllipse(QPointF(18.5, 18.5), 5.5, 5.5);
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18.5, 15.5), QPointF(18.5, 21.5));
        p.drawLine(QPointF(15.5, 18.5), QPointF(21.5, 18.5));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts need it
    if (argc != 2) {
        std::fprintf(stderr, "usage: strovane-gen-icons FOLDER\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    const std::pair<const char*, Drawing> icons[] = {
        {"in_ffffff_25.png", [](QPainter& p) { magnifier(p, true); }},
        {"out_ffffff_25.png", [](QPainter& p) { magnifier(p, false); }},
        {"100_ffffff_25.png", actualSize},
        {"fit_ffffff_25.png", fit},
        {"hand-white.png", hand},
        {"undo.png", [](QPainter& p) { turnArrow(p, false); }},
        {"redo.png", [](QPainter& p) { turnArrow(p, true); }},
        {"file-picture.png", [](QPainter& p) { picture(p, false); }},
        {"file-picture-add.png", [](QPainter& p) { picture(p, true); }},
    };
    for (const auto& icon : icons) {
        if (!save(dir.filePath(QLatin1String(icon.first)), icon.second)) {
            std::fprintf(stderr, "strovane-gen-icons: cannot write %s\n", icon.first);
            return 1;
        }
    }
    return 0;
}
