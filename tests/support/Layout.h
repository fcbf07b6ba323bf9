#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QWidget>

namespace Layout {

// Where a control draws: a label's text as laid out in its box, a check
// box's or radio button's mark and its line of text, a button's text, else
// the box.
inline QRect drawnArea(const QWidget *control)
{
    const auto *label = qobject_cast<const QLabel *>(control);
    if (label && !label->text().isEmpty()) {
        const int width = label->width();
        const QSize text = label->wordWrap() ? QSize(width, label->heightForWidth(width)) : label->sizeHint();
        return QStyle::alignedRect(Qt::LeftToRight, label->alignment(), text, label->geometry());
    }
    const int line = control->fontMetrics().height();
    if (qobject_cast<const QCheckBox *>(control) || qobject_cast<const QRadioButton *>(control)) {
        const QSize wanted(control->sizeHint().width(), line);
        return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignLeft | Qt::AlignVCenter, wanted, control->geometry());
    }
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        const QSize text(button->fontMetrics().horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))),
                         line);
        return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, text, control->geometry());
    }
    return control->geometry();
}

// What is wrong with how window lays out its controls, empty when nothing: a
// text cut by its box, a control outside its parent, two controls drawing
// over each other. A line's box may end on the row where the next line's
// begins: that row holds only the tail of a g.
inline QString faults(const QWidget *window)
{
    QStringList found;
    QList<const QWidget *> parents{window};
    for (qsizetype i = 0; i < parents.size(); ++i) {
        const QWidget *parent = parents[i];
        const QList<QWidget *> controls = parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (const QWidget *control : controls) {
            if (control->isHidden())
                continue;
            parents.append(control);
            if (!control->geometry().contains(drawnArea(control)))
                found << control->objectName() + QStringLiteral(" does not fit its text");
            if (!parent->rect().contains(control->geometry()))
                found << control->objectName() + QStringLiteral(" is outside ") + parent->objectName();
            for (const QWidget *other : controls) {
                if (other != control && !other->isHidden() && control < other
                    && (drawnArea(control) & drawnArea(other)).height() > 1)
                    found << control->objectName() + QStringLiteral(" overlaps ") + other->objectName();
            }
        }
    }
    return found.join(QStringLiteral("; "));
}

} // namespace Layout
