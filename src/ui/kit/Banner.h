// The program's banner: a strip of films under its name, for the splash and the about window.
#pragma once

#include <QImage>
#include <QPixmap>

namespace cinevaro::ui {

// The banner at a given size in pixels.
QPixmap bannerPixmap(int width, int height);
// The same picture as an image, which any thread may draw.
QImage bannerImage(int width, int height);

} // namespace cinevaro::ui
