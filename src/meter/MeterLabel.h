#pragma once

#include <QColor>
#include <QStaticText>
#include <QWidget>

// One of the gauge's three controls: a fill, a flat one-pixel border and one
// line of centred text, each optional. Every new charge repaints all three,
// and a QLabel's style-drawn frame and text laid out anew on every paint cost
// three times what this does.
class MeterLabel : public QWidget
{
    Q_OBJECT

public:
    MeterLabel(QWidget *parent, const QString &name, const QRect &geometry);

    // An invalid colour leaves the control transparent.
    QColor backColour() const { return m_backColour; }
    void setBackColour(const QColor &colour);
    // Drawn in the window-text colour.
    void setBorder(bool border);
    QString text() const { return m_text.text(); }
    // Drawn in the button-text colour.
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void drawBorder(QPainter &painter) const;

    QColor m_backColour;
    bool m_border = false;
    // Laid out once a text, not once a paint.
    QStaticText m_text;
};
