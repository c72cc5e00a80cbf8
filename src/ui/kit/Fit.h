// Sizes of windows built for a small font, grown to what their layout needs at the font in use.
#pragma once

#include <QSize>

class QWidget;

namespace cinevaro::ui {

// The smallest size at least `baseSize` in which the window's layout shows every control at
// its minimum size (heights follow the wrapped texts at that width).
QSize sizeToFit(QWidget* window, QSize baseSize);
// Fixes the window's size to sizeToFit(window, baseSize); call once its layout is built.
void setFixedSizeToFit(QWidget* window, QSize baseSize);

} // namespace cinevaro::ui
