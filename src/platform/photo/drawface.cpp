// Draws the picture shown for a person without a photo, a plain neutral
// face, and writes it as an icon file. Run by the build; argument: the file.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const int size = 64;
    QImage face(size, size, QImage::Format_ARGB32);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(QColor(238, 214, 170));
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QRectF(19, 22, 7, 8));
    p.drawEllipse(QRectF(38, 22, 7, 8));
    p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(22, 44), QPointF(42, 44));
    p.end();
    return face.save(QString::fromLocal8Bit(argv[1]), "ICO") ? 0 : 1;
}
