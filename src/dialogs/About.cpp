#include "About.h"

#include "DialogWindow.h"
#include "LinkLabel.h"
#include "Links.h"
#include "common/Colour.h"
#include "common/Program.h"
#include "common/Twips.h"
#include "platform/Prompts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QWindow>

namespace {

constexpr int Width = 4680;
constexpr int Height = 1920;
constexpr Colour FreewareGreen = 0x00C000;
constexpr Colour LinkBlue = 0xFF0000;

// Verdana where installed, else the desktop's sans-serif.
QFont verdana(qreal points)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// The picture at the control's size, drawn for the screen's pixel density so
// it stays sharp at any scale factor.
QPixmap drawPicture(const QWidget *control, const QString &file, qreal pixelRatio)
{
    QPixmap pixmap(control->size() * pixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(file);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

// A link in its design box (twips).
LinkLabel *link(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    return DialogWindow::placed(new LinkLabel(parent), name, Twips::rect(left, top, width, height));
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
    , Label5(link(this, QStringLiteral("Label5"), 120, 1560, 1935, 255))
    , Image1(link(this, QStringLiteral("Image1"), 3360, 120, 1245, 675))
    , Image2(DialogWindow::label(this, QStringLiteral("Image2"), QString(), 0, 120, 720, 720))
    , Label6(link(this, QStringLiteral("Label6"), 2160, 1560, 1095, 255))
    , Command1(DialogWindow::placed(new QPushButton(tr("Close"), this), QStringLiteral("Command1"),
                                    Twips::rect(3360, 1440, 1215, 375)))
{
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
    Image1->setLink(Links::Donation, tr("Donate"));
    Label5->setLink(Links::Home, QUrl(Links::Home).host());
    Label6->setLink(Links::Freeware, tr("Freeware"));
    connect(Image1, &QLabel::linkActivated, this, &About::Image1_Click);
    connect(Label5, &QLabel::linkActivated, this, &About::Label5_Click);
    connect(Label6, &QLabel::linkActivated, this, &About::Label6_Click);
    // Reading order after Close: the picture at the top, then the bottom line.
    setTabOrder(Command1, Image1);
    setTabOrder(Image1, Label5);
    setTabOrder(Label5, Label6);
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
    Image1->setPicture(drawPicture(Image1, QStringLiteral(":/donate.svg"), devicePixelRatioF()));
    Image2->setPixmap(drawPicture(Image2, QStringLiteral(":/logo.svg"), devicePixelRatioF()));
}

void About::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        Command1_Click();
    else
        QWidget::keyPressEvent(event);
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
