#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QWidget;
class Desktop;

// What the two dialogs share: a small tool window with a close box only, at
// a fixed size, centred in the work area.
namespace DialogWindow {

// Sets name, caption, program icon, window kind and the fixed client size
// (twips), and centres the dialog; it stays where the toolkit puts it when
// there is no screen.
void setUp(QWidget *dialog, Desktop &desktop, const QString &name,
           const QString &caption, int widthTwips, int heightTwips);

// Shows the dialog and brings it to the front.
void showAgain(QWidget *dialog);

// Shrinks the label's font until its wrapped text fits the label, as the
// fixed design sizes were made for a narrower font than most desktops have.
void fitText(QLabel *label);

// A label with its text at the top left of its design box (twips).
QLabel *label(QWidget *parent, const QString &name, const QString &text, int left, int top, int width,
              int height);

// Colours a control's text (0x00BBGGRR), lightened where a dark theme
// would leave it unreadable.
void setTextColour(QWidget *control, quint32 colour);

// Names a control and puts it at its place (pixels, relative to its parent).
template <typename Control>
Control *placed(Control *control, const QString &name, const QRect &geometry)
{
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

} // namespace DialogWindow
