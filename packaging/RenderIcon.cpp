// lumivane-render-icon: draws an SVG into a square PNG of the given size, so every bitmap icon
// the menus use comes from the one drawing. Usage: lumivane-render-icon <in.svg> <size> <out.png>

#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fputs("usage: lumivane-render-icon <in.svg> <size> <out.png>\n", stderr);
        return 2;
    }
    bool isNumber = false;
    const int size = QString::fromLocal8Bit(argv[2]).toInt(&isNumber);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!isNumber || size <= 0 || !svg.isValid()) {
        std::fprintf(stderr, "lumivane-render-icon: cannot draw %s at %s pixels\n", argv[1],
                     argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "lumivane-render-icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
