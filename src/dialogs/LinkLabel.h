#pragma once

#include <QLabel>
#include <QPixmap>

// A label whose whole text or picture is one web link, drawn in the label's
// own font, underline and text colour. Qt opens it on a click or on Return or
// Enter and shows the style's focus indicator; this class adds what Qt leaves
// out for a lone link: one Tab reaches it, a held key opens it once, and
// screen readers hear a link.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget *parent);

    // Shows name as a link to address; activating it emits linkActivated.
    void setLink(const QString &address, const QString &name);
    // Shows the picture in place of the name, at the label's size; the
    // pixmap is drawn for the screen's pixel ratio.
    void setPicture(const QPixmap &picture);

protected:
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showAnchor(const QString &content);

    QString m_address;
    QPixmap m_picture;
};
