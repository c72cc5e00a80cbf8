#include "ui/kit/Fit.h"

#include <QLayout>
#include <QWidget>

namespace cinevaro::ui {

QSize sizeToFit(QWidget* window, QSize designSize)
{
    QLayout* layout = window->layout();
    if (!layout)
        return designSize;
    layout->activate();
    QSize size = designSize.expandedTo(layout->totalMinimumSize());
    if (layout->hasHeightForWidth())
        size.setHeight(std::max(size.height(), layout->totalHeightForWidth(size.width())));
    return size;
}

void setFixedSizeToFit(QWidget* window, QSize designSize)
{
    window->setFixedSize(sizeToFit(window, designSize));
}

} // namespace cinevaro::ui
