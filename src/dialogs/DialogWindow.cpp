#include "DialogWindow.h"

#include "common/Colour.h"
#include "common/ProgramIcon.h"
#include "common/Twips.h"
#include "platform/Desktop.h"

#include <QFontMetrics>
#include <QLabel>
#include <QRect>
#include <QWidget>

namespace {

// A font smaller than this would be harder to read than text cut short.
constexpr qreal SmallestPoints = 6.0;
constexpr qreal PointsStep = 0.25;

bool fits(const QLabel *label, const QFont &font)
{
    const QRect room = label->contentsRect();
    return QFontMetrics(font).boundingRect(room, Qt::TextWordWrap, label->text()).height() <= room.height();
}

void centre(QWidget *dialog, Desktop &desktop)
{
    const auto area = desktop.workArea();
    if (!area)
        return;
    const QRect work(area->left, area->top, area->right - area->left, area->bottom - area->top);
    QRect placed(QPoint(), dialog->size());
    placed.moveCenter(work.center());
    desktop.moveTo(dialog, placed.left(), placed.top());
}

} // namespace

void DialogWindow::setUp(QWidget *dialog, Desktop &desktop, const QString &name,
                         const QString &caption, int widthTwips, int heightTwips)
{
    dialog->setObjectName(name);
    dialog->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(caption);
    dialog->setWindowIcon(programIcon());
    dialog->setFixedSize(Twips::toPixels(widthTwips), Twips::toPixels(heightTwips));
    // Once, when created: a hidden and re-shown dialog keeps the place the
    // user may have moved it to.
    centre(dialog, desktop);
}

QLabel *DialogWindow::label(QWidget *parent, const QString &name, const QString &text, int left, int top,
                           int width, int height)
{
    auto *label = placed(new QLabel(text, parent), name, Twips::rect(left, top, width, height));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void DialogWindow::setTextColour(QWidget *control, quint32 colour)
{
    QPalette palette = control->palette();
    // The colours were chosen for a light window; on a dark one they are
    // lightened just enough to read.
    const QColor window = palette.color(QPalette::Window);
    const QColor designed = toQColor(colour);
    palette.setColor(QPalette::WindowText, window.lightnessF() < 0.5 ? readableOn(designed, {window}) : designed);
    control->setPalette(palette);
}

void DialogWindow::showAgain(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void DialogWindow::fitText(QLabel *label)
{
    QFont font = label->font();
    while (!fits(label, font) && font.pointSizeF() - PointsStep >= SmallestPoints)
        font.setPointSizeF(font.pointSizeF() - PointsStep);
    label->setFont(font);
}
