#include "About.h"

#include "DialogWindow.h"
#include "Links.h"
#include "common/Colour.h"
#include "common/Program.h"
#include "common/Twips.h"
#include "platform/Prompts.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QSvgRenderer>
#include <QUrl>
#include <QWindow>

namespace {

constexpr int Width = 4680;
constexpr int Height = 1920;
constexpr Colour FreewareGreen = 0x00C000;
constexpr Colour LinkBlue = 0xFF0000;
// Marks the labels that assistive technology is to see as links.
const char *const LinkProperty = "dimmerlingLink";

// Verdana where installed, else the desktop's sans-serif.
QFont verdana(qreal points)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// The picture at the label's size, drawn for the screen's pixel density so
// it stays sharp at any scale factor.
void drawPicture(QLabel *label, const QString &file, qreal pixelRatio)
{
    QPixmap pixmap(label->size() * pixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(file);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(pixelRatio);
    label->setPixmap(pixmap);
}

// Qt presents every label as static text or a graphic; the clickable ones are
// links, and screen readers should say so.
QAccessibleInterface *linkInterface(const QString &, QObject *object)
{
    if (!object->isWidgetType() || !object->property(LinkProperty).toBool())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Link);
}

void presentAsLink(QLabel *label, const QString &name, const QString &address)
{
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::TabFocus);
    label->setAccessibleName(name);
    label->setAccessibleDescription(About::tr("Opens %1 in your browser").arg(address));
    label->setProperty(LinkProperty, true);
    // Qt built the label's accessible interface as plain text when its text
    // was set; drop it so that the link factory builds the next one.
    QAccessibleInterface *plainText = QAccessible::queryAccessibleInterface(label);
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(plainText));
}

// A click is a left button released over the control it went down on.
bool isClick(const QEvent *event, const QWidget *control)
{
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    return mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint());
}

// Held down, the key opens the page once, not a browser tab per repeat.
bool isActivationKey(const QEvent *event)
{
    const auto *key = static_cast<const QKeyEvent *>(event);
    const bool activates = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
                           || key->key() == Qt::Key_Space;
    return activates && !key->isAutoRepeat();
}

// Around the text, or the whole picture.
QRect focusArea(const QLabel *link)
{
    if (link->text().isEmpty())
        return link->rect();
    const QRect text = link->fontMetrics().boundingRect(link->contentsRect(), int(link->alignment()),
                                                        link->text());
    return text.adjusted(-1, -1, 1, 1) & link->rect();
}

// A label draws no focus, so the link is drawn as usual and then the style's
// focus frame on top, as a check box frames its text.
void paintWithFocus(QLabel *link, QEvent *paint)
{
    static_cast<QObject *>(link)->event(paint);
    QStyleOptionFocusRect option;
    option.initFrom(link);
    // Links take the focus only from the keyboard, where styles show it.
    option.state |= QStyle::State_KeyboardFocusChange;
    option.rect = focusArea(link);
    option.backgroundColor = link->palette().color(QPalette::Window);
    QPainter painter(link);
    link->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, link);
}

} // namespace

About::About(const Platform &platform, QWidget *parent)
    : QWidget(parent)
    , m_platform(platform)
    , Label1(DialogWindow::label(this, QStringLiteral("Label1"), Program::Name, 720, 120, 1935, 615))
    , Label2(DialogWindow::label(this, QStringLiteral("Label2"), tr("by the authors"), 720, 480, 1815, 255))
    , Label3(DialogWindow::label(this, QStringLiteral("Label3"), tr("v%1").arg(Program::Version), 720, 480, 615, 255))
    , Label4(DialogWindow::label(this, QStringLiteral("Label4"),
                         tr("Dimmerling is a tiny application that monitors your battery power and becomes "
                            "more visible as the power level becomes critical."),
                         120, 840, 4455, 615))
    , Label5(DialogWindow::label(this, QStringLiteral("Label5"), QUrl(Links::Home).host(), 120, 1560, 1935, 255))
    , Image1(DialogWindow::label(this, QStringLiteral("Image1"), QString(), 3360, 120, 1245, 675))
    , Image2(DialogWindow::label(this, QStringLiteral("Image2"), QString(), 0, 120, 720, 720))
    , Label6(DialogWindow::label(this, QStringLiteral("Label6"), tr("Freeware"), 2160, 1560, 1095, 255))
    , Command1(DialogWindow::placed(new QPushButton(tr("Close"), this), QStringLiteral("Command1"),
                                    Twips::rect(3360, 1440, 1215, 375)))
{
    // Qt keeps an installed factory for the life of the program, so it is
    // installed once, not once per dialog.
    static const bool factoryInstalled = (QAccessible::installFactory(linkInterface), true);
    Q_UNUSED(factoryInstalled);
    DialogWindow::setUp(this, m_platform.desktop, QStringLiteral("About"), tr("About Dimmerling"), Width, Height);
    arrangeControls();
    makeLinks();
    connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);
    Command1->setFocus();
}

void About::arrangeControls()
{
    Label1->setFont(verdana(15.75));
    Label2->setFont(verdana(8.25));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label4->setFont(verdana(8.25));
    Label4->setWordWrap(true);
    DialogWindow::fitText(Label4);

    QFont underlined = verdana(8.25);
    underlined.setUnderline(true);
    Label5->setFont(underlined);
    DialogWindow::setTextColour(Label5, LinkBlue);

    QFont bold = verdana(8.25);
    bold.setBold(true);
    Label6->setFont(bold);
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    DialogWindow::setTextColour(Label6, FreewareGreen);
    Image2->setAccessibleName(tr("%1 logo").arg(Program::Name));
}

void About::makeLinks()
{
    presentAsLink(Image1, tr("Donate"), Links::Donation);
    presentAsLink(Label5, Label5->text(), Links::Home);
    presentAsLink(Label6, Label6->text(), Links::Freeware);
    // Reading order after Close: the picture at the top, then the bottom line.
    setTabOrder(Command1, Image1);
    setTabOrder(Image1, Label5);
    setTabOrder(Label5, Label6);
    for (QLabel *link : {Label6, Image1, Label5})
        link->installEventFilter(this);
}

void About::showAgain()
{
    DialogWindow::showAgain(this);
}

void About::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    drawPictures();
    // Moving to a screen of another scale factor needs sharper or smaller pictures.
    if (!m_followsScreen && windowHandle()) {
        connect(windowHandle(), &QWindow::screenChanged, this, &About::drawPictures);
        m_followsScreen = true;
    }
}

void About::drawPictures()
{
    drawPicture(Image1, QStringLiteral(":/donate.svg"), devicePixelRatioF());
    drawPicture(Image2, QStringLiteral(":/logo.svg"), devicePixelRatioF());
}

// The filter is installed on the three links only, so watched is a link.
bool About::eventFilter(QObject *watched, QEvent *event)
{
    auto *link = static_cast<QLabel *>(watched);
    if (event->type() == QEvent::MouseButtonRelease && isClick(event, link)) {
        activate(link);
    } else if (event->type() == QEvent::KeyPress && isActivationKey(event)) {
        activate(link);
        return true;
    } else if (event->type() == QEvent::Paint && link->hasFocus()) {
        paintWithFocus(link, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void About::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        Command1_Click();
    else
        QWidget::keyPressEvent(event);
}

void About::activate(const QObject *link)
{
    if (link == Label6)
        Label6_Click();
    else if (link == Image1)
        Image1_Click();
    else if (link == Label5)
        Label5_Click();
}

void About::Command1_Click()
{
    hide();
}

void About::Label6_Click()
{
    openLink(Links::Freeware);
}

void About::Image1_Click()
{
    openLink(Links::Donation);
}

void About::Label5_Click()
{
    openLink(Links::Home);
}

void About::openLink(const QString &address)
{
    if (m_platform.prompts.openLink(QUrl(address)))
        return;
    const QString text = tr("No web browser could be started. To visit the page, copy its address "
                            "into your browser:\n%1")
                             .arg(address);
    m_platform.prompts.messageBox(text, MessageStyle::Information, Program::Name);
}
