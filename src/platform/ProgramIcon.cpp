#include "ProgramIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

namespace {

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
        if (cached.isNull()) {
            QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer().render(&painter, image.rect());
            painter.end();
            cached = QPixmap::fromImage(image);
        }
        QPixmap result = cached;
        result.setDevicePixelRatio(scale);
        return result;
    }

    // The sizes a window system asks for when it needs a list.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {{16, 16}, {32, 32}}; }

    QIconEngine *clone() const override { return new SvgIconEngine(m_file); }
    QString key() const override { return QStringLiteral("DimmerlingSvg"); }

private:
    QSvgRenderer &renderer()
    {
        if (!m_renderer.isValid())
            m_renderer.load(m_file);
        return m_renderer;
    }

    QString m_file;
    QSvgRenderer m_renderer;
    QHash<quint64, QPixmap> m_pixmaps;
};

} // namespace

QIcon programIcon()
{
    return QIcon(new SvgIconEngine(QStringLiteral(":/dimmerling.svg")));
}
