// The pictures of the tree nodes, the tool bar and the windows, drawn at run time.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace cinevaro::ui {

enum class IconId {
    Root,
    Support,
    Film,
    FilmSelected,
    FilmLent,
    NewCatalogue,
    OpenCatalogue,
    Print,
    AddAuto,
    AddManual,
    Edit,
    Delete,
    Search,
    Refresh,
    Configuration,
    Application,
    Preview,
    SaveFile,
};

// The icon (cached); the film icon carries the selected-film picture for its selected mode.
QIcon icon(IconId id);
// The picture at a given size in pixels.
QPixmap iconPixmap(IconId id, int size);
// The same picture as an image, which any thread may draw.
QImage iconImage(IconId id, int size);
// Draws the pictures the main window shows first (its tool bar's and its tree's) ahead, on any
// thread: the icons take them when first shown instead of drawing them then.
void drawFirstIconsAhead();

} // namespace cinevaro::ui
