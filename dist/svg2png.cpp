// Build-time tool: renders an SVG file into a square PNG of the given size,
// for the icon theme's fixed-size folders.
// Usage: svg2png <in.svg> <out.png> <pixels>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: svg2png <in.svg> <out.png> <pixels>\n", stderr);
        return 2;
    }
    // No display at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pixels = QByteArray(argv[3]).toInt();
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid() || pixels <= 0) {
        std::fprintf(stderr, "svg2png: cannot render %s at %s px\n", argv[1], argv[3]);
        return 1;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "svg2png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
