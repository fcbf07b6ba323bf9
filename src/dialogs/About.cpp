#include "About.h"

#include "DialogWindow.h"
#include "Links.h"
#include "platform/Colour.h"
#include "platform/Twips.h"
#include "platform/WindowServices.h"

#include <QLabel>
#include <QMouseEvent>
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
const QString ProgramName = QStringLiteral("Dimmerling");

QLabel *createLabel(QWidget *parent, const QString &name, const QString &text, int left, int top,
                    int width, int height)
{
    auto *label = DialogWindow::placed(new QLabel(text, parent), name, Twips::rect(left, top, width, height));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Verdana where installed, else the desktop's sans-serif.
QFont verdana(qreal points)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

void setTextColour(QWidget *control, Colour colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    control->setPalette(palette);
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

} // namespace

About::About(WindowServices &window, QWidget *parent)
    : QWidget(parent)
    , m_window(window)
    , Label1(createLabel(this, QStringLiteral("Label1"), ProgramName, 720, 120, 1935, 615))
    , Label2(createLabel(this, QStringLiteral("Label2"), tr("by the authors"), 720, 480, 1815, 255))
    , Label3(createLabel(this, QStringLiteral("Label3"), tr("v1.0"), 720, 480, 615, 255))
    , Label4(createLabel(this, QStringLiteral("Label4"),
                         tr("Dimmerling is a tiny application that monitors your battery power and becomes "
                            "more visible as the power level becomes critical."),
                         120, 840, 4455, 615))
    , Label5(createLabel(this, QStringLiteral("Label5"), QUrl(Links::Home).host(), 120, 1560, 1935, 255))
    , Image1(createLabel(this, QStringLiteral("Image1"), QString(), 3360, 120, 1245, 675))
    , Image2(createLabel(this, QStringLiteral("Image2"), QString(), 0, 120, 720, 720))
    , Label6(createLabel(this, QStringLiteral("Label6"), tr("Freeware"), 2160, 1560, 1095, 255))
    , Command1(DialogWindow::placed(new QPushButton(tr("Close"), this), QStringLiteral("Command1"),
                                    Twips::rect(3360, 1440, 1215, 375)))
{
    DialogWindow::setUp(this, m_window, QStringLiteral("About"), tr("About Dimmerling"), Width, Height);
    arrangeControls();
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
    setTextColour(Label5, LinkBlue);

    QFont bold = verdana(8.25);
    bold.setBold(true);
    Label6->setFont(bold);
    Label6->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setTextColour(Label6, FreewareGreen);

    for (QLabel *link : {Label6, Image1, Label5}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
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

bool About::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const auto *control = static_cast<QWidget *>(watched);
    // A click is a left button released over the control it went down on.
    if (mouse->button() == Qt::LeftButton && control->rect().contains(mouse->position().toPoint())) {
        if (watched == Label6)
            Label6_Click();
        else if (watched == Image1)
            Image1_Click();
        else if (watched == Label5)
            Label5_Click();
    }
    return QWidget::eventFilter(watched, event);
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
    if (m_window.openLink(QUrl(address)))
        return;
    m_window.messageBox(tr("No web browser could be started. To visit the page, copy its address "
                           "into your browser:\n%1")
                            .arg(address),
                        MessageStyle::Information, ProgramName);
}
