// Build-time tool: renders an SVG file into a square picture of the given
// size: a PNG for the icon theme, or raw premultiplied RGBA bytes (".rgba")
// that the program shows without loading any image decoder.
// Usage: rendersvg <in.svg> <out.png|out.rgba> <pixels>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool writeRaw(const QImage &image, const QString &path)
{
    const QImage bytes = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QFile file(path);
    const auto size = qint64(bytes.sizeInBytes());
    return file.open(QIODevice::WriteOnly)
        && file.write(reinterpret_cast<const char *>(bytes.constBits()), size) == size;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: rendersvg <in.svg> <out.png|out.rgba> <pixels>\n", stderr);
        return 2;
    }
    // No display at build time.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pixels = QByteArray(argv[3]).toInt();
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid() || pixels <= 0) {
        std::fprintf(stderr, "rendersvg: cannot render %s at %s px\n", argv[1], argv[3]);
        return 1;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    const QString out = QString::fromLocal8Bit(argv[2]);
    const bool written = out.endsWith(QLatin1String(".rgba")) ? writeRaw(image, out) : image.save(out, "PNG");
    if (!written) {
        std::fprintf(stderr, "rendersvg: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
