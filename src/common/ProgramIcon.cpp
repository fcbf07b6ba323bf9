#include "ProgramIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>

#include <array>
#include <memory>

namespace {

// Rendered at build time (src/CMakeLists.txt) as raw RGBA bytes.
constexpr std::array<int, 2> PrerenderedSizes = {16, 32};

class SvgIconEngine : public QIconEngine
{
public:
    explicit SvgIconEngine(const QString &file)
        : m_file(file)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        renderer().render(painter, rect);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // Qt asks with the size already in device pixels.
    QPixmap scaledPixmap(const QSize &pixels, QIcon::Mode, QIcon::State, qreal scale) override
    {
        const quint64 key = (quint64(pixels.width()) << 32) | quint32(pixels.height());
        QPixmap &cached = m_pixmaps[key];
        if (cached.isNull())
            cached = QPixmap::fromImage(prerendered(pixels));
        if (cached.isNull())
            cached = QPixmap::fromImage(rendered(pixels));
        QPixmap result = cached;
        result.setDevicePixelRatio(scale);
        return result;
    }

    // The sizes a window system asks for when it needs a list.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int size : PrerenderedSizes)
            sizes.append({size, size});
        return sizes;
    }

    QIconEngine *clone() const override { return new SvgIconEngine(m_file); }
    QString key() const override { return QStringLiteral("DimmerlingSvg"); }

private:
    // The sizes every start needs: no SVG, PNG or zlib code is touched.
    static QImage prerendered(const QSize &pixels)
    {
        // Only the square sizes rendered at build time have a resource of
        // the right length; any other size gets an empty image back.
        const QResource raw(QStringLiteral(":/dimmerling-%1.rgba").arg(pixels.width()));
        const qint64 bytes = qint64(pixels.width()) * pixels.height() * 4;
        if (raw.compressionAlgorithm() != QResource::NoCompression || raw.size() != bytes)
            return {};
        // The image uses the resource's bytes without copying them, which is
        // safe because they are compiled into the program.
        return QImage(raw.data(), pixels.width(), pixels.height(), QImage::Format_RGBA8888_Premultiplied);
    }

    QImage rendered(const QSize &pixels)
    {
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer().render(&painter, image.rect());
        painter.end();
        return image;
    }

    QSvgRenderer &renderer()
    {
        if (!m_renderer)
            m_renderer = std::make_unique<QSvgRenderer>(m_file);
        return *m_renderer;
    }

    QString m_file;
    std::unique_ptr<QSvgRenderer> m_renderer;
    QHash<quint64, QPixmap> m_pixmaps;
};

} // namespace

QIcon programIcon()
{
    return QIcon(new SvgIconEngine(QStringLiteral(":/dimmerling.svg")));
}
