#include "ui/kit/ElidedLineEdit.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

namespace cinevaro::ui {

namespace {

// The gap QLineEdit leaves between its contents' edge and the text.
constexpr int kTextMargin = 2;

} // namespace

ElidedLineEdit::ElidedLineEdit(QWidget* parent) : QLineEdit(parent)
{
}

QRect ElidedLineEdit::textRect() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    // The text may run into the right-hand gap, as in a plain line edit: only the contents clip it.
    return contents.marginsRemoved(textMargins()).adjusted(kTextMargin, 0, 0, 0);
}

QString ElidedLineEdit::shownText() const
{
    if (hasFocus())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width());
}

void ElidedLineEdit::paintEvent(QPaintEvent* event)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

bool ElidedLineEdit::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (shownText() != text())
            QToolTip::showText(help->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLineEdit::event(event);
}

} // namespace cinevaro::ui
