#pragma once

#include <QColor>
#include <QStaticText>
#include <QWidget>

// One of the gauge's three controls: a fill, optionally edged by a flat
// one-pixel border, and one line of centred text. Every new charge repaints
// all three, and a QLabel's style-drawn frame and text laid out anew on
// every paint cost about 1.6 times what this does.
class MeterLabel : public QWidget
{
    Q_OBJECT

public:
    MeterLabel(QWidget *parent, const QString &name, const QRect &geometry);

    // Transparent until a fill colour is set.
    QColor backColour() const { return m_backColour; }
    void setBackColour(const QColor &colour);
    // One pixel of the fill's edge, in the window-text colour; none
    // without a fill. Drawn under the fill, so it suits opaque fills only.
    void setBorder(bool border);
    QString text() const { return m_text.text(); }
    // Drawn in the button-text colour; screen readers read it as the name.
    void setText(const QString &text);
    // The fills the text may lie over: where the theme's button text would
    // not read on them (white text in a dark theme), a darker or lighter
    // colour draws it.
    void setTextBackgrounds(const QList<QColor> &backgrounds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void drawFill(QPainter &painter) const;
    void chooseTextColour();

    QColor m_backColour;
    bool m_border = false;
    // Laid out once a text, not once a paint.
    QStaticText m_text;
    QList<QColor> m_textBackgrounds;
    QColor m_textColour;
    bool m_textLaidOut = false;
};
