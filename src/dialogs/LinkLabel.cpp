#include "LinkLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QUrl>
#include <QVariant>

namespace {

// Qt presents every label as static text or a graphic, whatever it holds.
QAccessibleInterface *linkInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("LinkLabel") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Link);
}

} // namespace

LinkLabel::LinkLabel(QWidget *parent)
    : QLabel(parent)
{
    // Qt keeps an installed factory for the life of the program: once.
    static const bool factoryInstalled = (QAccessible::installFactory(linkInterface), true);
    Q_UNUSED(factoryInstalled);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByKeyboard | Qt::LinksAccessibleByMouse);
    // From the keyboard only, as a click opens the page at once.
    setFocusPolicy(Qt::TabFocus);
    setResourceProvider([this](const QUrl &) { return QVariant(m_picture); });
}

void LinkLabel::setLink(const QString &address, const QString &name)
{
    m_address = address;
    setAccessibleName(name);
    setAccessibleDescription(tr("Opens %1 in your browser").arg(address));
    showAnchor(name.toHtmlEscaped());
}

void LinkLabel::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    // A label ignores the text it already shows and keeps the picture it
    // loaded; the pixel ratio in the name makes it load the new one.
    showAnchor(QStringLiteral("<img src=\"picture@%1x\" width=\"%2\" height=\"%3\">")
                   .arg(picture.devicePixelRatio())
                   .arg(width())
                   .arg(height()));
}

void LinkLabel::showAnchor(const QString &content)
{
    const QString look = QStringLiteral("color: %1; text-decoration: %2")
                             .arg(palette().color(foregroundRole()).name(),
                                  font().underline() ? QStringLiteral("underline") : QStringLiteral("none"));
    setText(QStringLiteral("<a href=\"%1\" style=\"%2\">%3</a>").arg(m_address.toHtmlEscaped(), look, content));
}

// Qt focuses the label first and its link only at the next Tab; with one
// link in the label, the Tab that reaches the label focuses the link. Qt's
// focus outline lies under a picture that fills the label, so a picture is
// selected instead, which tints it.
void LinkLabel::focusInEvent(QFocusEvent *event)
{
    QLabel::focusInEvent(event);
    if (event->reason() != Qt::TabFocusReason && event->reason() != Qt::BacktabFocusReason)
        return;
    if (m_picture.isNull())
        QLabel::focusNextPrevChild(event->reason() == Qt::TabFocusReason);
    else
        setSelection(0, 1);
}

// The next Tab leaves the label: there is no other link in it to go to, and
// Qt would find the same link again going backwards.
bool LinkLabel::focusNextPrevChild(bool next)
{
    return QWidget::focusNextPrevChild(next); // NOLINT(bugprone-parent-virtual-call): QLabel's is the one to skip
}

// Held down, Return opens the page once, not a browser tab per repeat.
void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        event->ignore();
    else
        QLabel::keyPressEvent(event);
}
