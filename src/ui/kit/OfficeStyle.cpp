#include "ui/kit/OfficeStyle.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

namespace cinevaro::ui {

namespace {

const char* kActiveProperty = "cinevaroOfficeStyle";

} // namespace

QString officeStyleSheet(bool gradient)
{
    // Menus get a shaded gutter on the left (about the width of an icon) and white elsewhere.
    const QString bar = gradient
                            ? QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfbf9, stop:1 #dcd9cf)")
                            : QStringLiteral("#efede6");
    const QString gutter =
        gradient ? QStringLiteral("qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #fdfdfc, stop:0.11 #c9c5b8, "
                                  "stop:0.111 white, stop:1 white)")
                 : QStringLiteral("qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #e3e0d6, stop:0.11 #e3e0d6, "
                                  "stop:0.111 white, stop:1 white)");
    return QStringLiteral("QMenuBar { background: %1; border-bottom: 1px solid #b5b1a4; }"
                          "QMenuBar::item { padding: 3px 8px; background: transparent; }"
                          "QMenuBar::item:selected { background: #c1d2ee; border: 1px solid #316ac5; }"
                          "QMenu { background: %2; border: 1px solid #8a867a; }"
                          "QMenu::item { padding: 3px 24px 3px 30px; border: 1px solid transparent; }"
                          "QMenu::item:selected { background: #c1d2ee; border: 1px solid #316ac5; color: black; }"
                          "QMenu::item:disabled { color: #a7a6aa; }"
                          "QMenu::separator { height: 1px; background: #c5c2b8; margin: 2px 2px 2px 30px; }"
                          "QToolBar { background: %1; border: none; spacing: 2px; }"
                          "QToolButton { border: 1px solid transparent; padding: 2px; }"
                          "QToolButton:hover { background: #c1d2ee; border: 1px solid #316ac5; }")
        .arg(bar, gutter);
}

void applyOfficeStyle(QWidget* window, bool active, bool gradient)
{
    if (!window)
        return;
    const QString sheet = active ? officeStyleSheet(gradient) : QString();
    // A widget under one that already holds the sheet (a menu of the menu bar, a sub-menu) takes
    // it from there: setting it again would only parse and polish it once more. Sheets are only
    // set where they change.
    const auto apply = [window, &sheet](QWidget* widget) {
        bool inherits = false;
        for (QWidget* p = widget->parentWidget(); p && !inherits && p != window; p = p->parentWidget())
            inherits = !sheet.isEmpty() && p->styleSheet() == sheet;
        const QString own = inherits ? QString() : sheet;
        if (widget->styleSheet() != own)
            widget->setStyleSheet(own);
    };
    for (auto* bar : window->findChildren<QMenuBar*>())
        apply(bar);
    for (auto* tools : window->findChildren<QToolBar*>())
        apply(tools);
    for (auto* menu : window->findChildren<QMenu*>())
        apply(menu);
    window->setProperty(kActiveProperty, active);
}

bool officeStyleActive(const QWidget* window)
{
    return window && window->property(kActiveProperty).toBool();
}

} // namespace cinevaro::ui
