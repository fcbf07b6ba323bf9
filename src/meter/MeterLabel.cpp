#include "MeterLabel.h"

#include <QEvent>
#include <QPainter>

MeterLabel::MeterLabel(QWidget *parent, const QString &name, const QRect &geometry)
    : QWidget(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    // Unhandled mouse events would travel on to the meter's own handler.
    setAttribute(Qt::WA_NoMousePropagation);
    m_text.setTextFormat(Qt::PlainText);
}

void MeterLabel::setBackColour(const QColor &colour)
{
    // The tick sets the colours ten times a second: only a change repaints.
    if (colour == m_backColour)
        return;
    m_backColour = colour;
    setAttribute(Qt::WA_OpaquePaintEvent, colour.isValid() && colour.alpha() == 255);
    update();
}

void MeterLabel::setBorder(bool border)
{
    m_border = border;
    update();
}

void MeterLabel::setText(const QString &text)
{
    if (text == m_text.text())
        return;
    m_text.setText(text);
    m_text.prepare(QTransform(), font());
    update();
}

void MeterLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_text.prepare(QTransform(), font());
    QWidget::changeEvent(event);
}

void MeterLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_backColour.isValid())
        painter.fillRect(rect(), m_backColour);
    if (m_border)
        drawBorder(painter);
    if (!m_text.text().isEmpty()) {
        const QSizeF size = m_text.size();
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawStaticText(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), m_text);
    }
}

void MeterLabel::drawBorder(QPainter &painter) const
{
    // Four filled edges: a stroked rectangle goes through the path stroker.
    const QColor colour = palette().color(QPalette::WindowText);
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, 1, colour);
    painter.fillRect(0, h - 1, w, 1, colour);
    painter.fillRect(0, 1, 1, h - 2, colour);
    painter.fillRect(w - 1, 1, 1, h - 2, colour);
}
