#include "MeterLabel.h"

#include "common/Colour.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>

namespace {

// Screen readers meet the percentage as the static text a label would be.
class MeterLabelAccessible : public QAccessibleWidget
{
public:
    explicit MeterLabelAccessible(MeterLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return static_cast<const MeterLabel *>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *accessibleMeterLabel(const QString &className, QObject *object)
{
    if (className == QLatin1String("MeterLabel"))
        return new MeterLabelAccessible(static_cast<MeterLabel *>(object));
    return nullptr;
}

} // namespace

MeterLabel::MeterLabel(QWidget *parent, const QString &name, const QRect &geometry)
    : QWidget(parent)
{
    // Once a program: Qt asks every factory about every widget class.
    [[maybe_unused]] static const bool accessible = (QAccessible::installFactory(accessibleMeterLabel), true);
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
    m_textLaidOut = false;
    update();
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void MeterLabel::setTextBackgrounds(const QList<QColor> &backgrounds)
{
    m_textBackgrounds = backgrounds;
    chooseTextColour();
}

// Once per theme, not once per paint.
void MeterLabel::chooseTextColour()
{
    m_textColour = readableOn(palette().color(QPalette::ButtonText), m_textBackgrounds);
    update();
}

void MeterLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        m_textLaidOut = false;
    else if (event->type() == QEvent::PaletteChange)
        chooseTextColour();
    QWidget::changeEvent(event);
}

void MeterLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_backColour.isValid())
        drawFill(painter);
    if (!m_text.text().isEmpty()) {
        // Laid out at the first paint, not before: loading the font before
        // the window is mapped would hold the gauge back at start-up.
        if (!m_textLaidOut) {
            m_text.prepare(QTransform(), font());
            m_textLaidOut = true;
        }
        const QSizeF size = m_text.size();
        painter.setPen(m_textColour);
        painter.drawStaticText(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), m_text);
    }
}

void MeterLabel::drawFill(QPainter &painter) const
{
    // The border is the fill's edge: two fills draw both, where a stroked
    // rectangle would go through the path stroker.
    QRect fill = rect();
    if (m_border) {
        painter.fillRect(fill, palette().color(QPalette::WindowText));
        fill.adjust(1, 1, -1, -1);
    }
    painter.fillRect(fill, m_backColour);
}
