#include "ui/paint/PageRenderer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>

#include "table/Cp1252.h"

namespace cinevaro::paint {

namespace {

QString text(const std::string& bytes)
{
    const std::string utf8 = table::cp1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QPointF mm(double x, double y)
{
    return {x * kUnitsPerMm, y * kUnitsPerMm};
}

QImage pictureImage(const output::Picture& picture)
{
    return QImage(picture.pixels.data(), picture.width, picture.height, picture.width * 3, QImage::Format_RGB888);
}

} // namespace

QColor fromWindowsColour(std::uint32_t value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

std::uint32_t toWindowsColour(const QColor& colour)
{
    return static_cast<std::uint32_t>(colour.red()) | (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QString resolvedFamily(const std::string& name)
{
    const QString family = text(name);
    static const QStringList families = QFontDatabase::families();
    if (families.contains(family, Qt::CaseInsensitive))
        return family;
    if (name == output::kPrintFontName)
        return QStringLiteral("Liberation Serif");
    return family;
}

QFont printFont(const output::FontSpec& fontSpec)
{
    QFont font(resolvedFamily(fontSpec.name));
    font.setPixelSize(fontSpec.size * 10);
    font.setBold(fontSpec.bold);
    font.setUnderline(fontSpec.underline);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

double QtTextMeasurer::textWidth(const std::string& value, const output::FontSpec& font) const
{
    QFontMetricsF metrics(printFont(font));
    return metrics.horizontalAdvance(text(value)) / kUnitsPerMm;
}

void renderPage(QPainter& painter, const output::PrintPage& page, const QRectF& target, double pageWidthMm)
{
    painter.save();
    painter.translate(target.topLeft());
    const double scale = target.width() / (pageWidthMm * kUnitsPerMm);
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    for (const auto& op : page.ops) {
        switch (op.kind) {
        case output::DrawOp::Kind::Text: {
            const QFont font = printFont(op.font);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const QPointF at = mm(op.x1, op.y1);
            painter.drawText(QPointF(at.x(), at.y() + QFontMetricsF(font).ascent()), text(op.text));
            break;
        }
        case output::DrawOp::Kind::TextBox: {
            const QRectF box(mm(op.x1, op.y1), mm(op.x2, op.y2));
            painter.setPen(QPen(fromWindowsColour(op.pen), 0.25 * kUnitsPerMm));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box);
            painter.setFont(printFont(op.font));
            painter.setPen(Qt::black);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text(op.text));
            break;
        }
        case output::DrawOp::Kind::Picture:
            if (op.picture && op.picture->width > 0 && op.picture->height > 0)
                painter.drawImage(QRectF(mm(op.x1, op.y1), mm(op.x2, op.y2)), pictureImage(*op.picture));
            break;
        case output::DrawOp::Kind::Line:
            painter.setPen(QPen(fromWindowsColour(op.pen), 0.3 * kUnitsPerMm));
            painter.drawLine(mm(op.x1, op.y1), mm(op.x2, op.y2));
            break;
        }
    }
    painter.restore();
}

void renderSheet(QPainter& painter, const output::PrintDocument& doc, int first, int perSheet, const QRectF& sheet)
{
    perSheet = std::max(1, perSheet);
    const double slotWidth = sheet.width() / perSheet;
    const double scale = std::min(slotWidth / doc.pageWidth, sheet.height() / doc.pageHeight);
    const QSizeF size(doc.pageWidth * scale, doc.pageHeight * scale);
    for (int i = 0; i < perSheet; ++i) {
        const int index = first + i;
        if (index < 0 || index >= static_cast<int>(doc.pages.size()))
            break;
        const QPointF corner(sheet.left() + i * slotWidth + (slotWidth - size.width()) / 2,
                             sheet.top() + (sheet.height() - size.height()) / 2);
        renderPage(painter, doc.pages[index], QRectF(corner, size), doc.pageWidth);
    }
}

} // namespace cinevaro::paint
