// The application's style: the platform's own, except the arrows of a menu bar or tool bar too
// narrow for its items, which are drawn here. The platform's arrows are image files whose reading
// makes the image reader scan every image format installed, at the very start of every launch.
#pragma once

#include <QProxyStyle>

namespace cinevaro::ui {

class AppStyle : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap id, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

// Makes AppStyle, over the platform's style, the application's style.
void installAppStyle();

} // namespace cinevaro::ui
