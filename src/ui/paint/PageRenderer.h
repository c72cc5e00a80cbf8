// Draws the computed print pages (millimetre drawing operations) with QPainter, onto a preview
// image, a printer or a PDF writer. Fonts: "Times New Roman" when installed, otherwise the
// metrically compatible Liberation Serif.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>

#include <cstdint>

#include "output/PrintLayout.h"

class QPainter;

namespace cinevaro::paint {

// A Windows colour value 0x00BBGGRR as a QColor, and back.
QColor fromWindowsColour(std::uint32_t value);
std::uint32_t toWindowsColour(const QColor& colour);

// The family used for a requested family name (substitutes Liberation Serif for a missing
// "Times New Roman").
QString resolvedFamily(const std::string& name);

// Drawing units: tenths of a point, so whole point sizes map to whole pixel sizes.
inline constexpr double kUnitsPerMm = 720.0 / 25.4;

// The font of a FontSpec in drawing units (pixel size = 10 x points).
QFont printFont(const output::FontSpec& fontSpec);

// Measures with the fonts the renderer draws with.
class QtTextMeasurer : public output::TextMeasurer
{
public:
    double textWidth(const std::string& text, const output::FontSpec& font) const override;
};

// Draws one page scaled into `target` (device coordinates of the page's top-left corner and
// size). `pageWidthMm` is the page's width in millimetres.
void renderPage(QPainter& painter, const output::PrintPage& page, const QRectF& target, double pageWidthMm);

// Draws up to `perSheet` consecutive pages starting at `first` side by side on one sheet
// (`sheet` in device coordinates), each scaled to fit its share with its proportions kept.
void renderSheet(QPainter& painter, const output::PrintDocument& doc, int first, int perSheet, const QRectF& sheet);

} // namespace cinevaro::paint
