// The office-style skin of menus and tool bars: light menus with a shaded icon gutter, a framed
// blue highlight, and optionally a gradient on the menu bar. Applied as a style sheet.
#pragma once

#include <QString>

class QWidget;

namespace cinevaro::ui {

QString officeStyleSheet(bool gradient);
// Sets or removes the skin on a window's menu bar, menus and tool bars.
void applyOfficeStyle(QWidget* window, bool active, bool gradient);
// Whether applyOfficeStyle last left the skin active on that window.
bool officeStyleActive(const QWidget* window);

} // namespace cinevaro::ui
