#include "ui/kit/Fit.h"

#include <QLayout>
#include <QWidget>

namespace cinevaro::ui {

QSize sizeToFit(QWidget* window, QSize baseSize)
{
    QLayout* layout = window->layout();
    if (!layout)
        return baseSize;
    layout->activate();
    QSize size = baseSize.expandedTo(layout->totalMinimumSize());
    if (layout->hasHeightForWidth())
        size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
    return size;
}

void setFixedSizeToFit(QWidget* window, QSize baseSize)
{
    window->setFixedSize(sizeToFit(window, baseSize));
}

} // namespace cinevaro::ui
