#include "QtPrompts.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>

QtPrompts::QtPrompts()
{
    qApp->installNativeEventFilter(&m_closeFilter);
}

QtPrompts::~QtPrompts() = default;

Prompts::BoxId QtPrompts::messageBox(const QString &text, MessageStyle style, const QString &title,
                                     BoxClosed closed)
{
    // Not exec(): a box opened from a timer's slot would stop that timer
    // until it closes.
    const auto icon = style == MessageStyle::Critical ? QMessageBox::Critical : QMessageBox::Information;
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    if (closed)
        QObject::connect(box, &QMessageBox::finished, box, std::move(closed));
    box->show();
    m_boxes.removeIf([](const auto &entry) { return entry.value().isNull(); });
    m_boxes.insert(++m_lastBox, box);
    return m_lastBox;
}

void QtPrompts::raiseBox(BoxId box)
{
    if (QMessageBox *shown = m_boxes.value(box)) {
        shown->raise();
        shown->activateWindow();
    }
}

void QtPrompts::popupMenu(QMenu *menu)
{
    menu->exec(QCursor::pos());
}

bool QtPrompts::openLink(const QUrl &address)
{
    return QDesktopServices::openUrl(address);
}
