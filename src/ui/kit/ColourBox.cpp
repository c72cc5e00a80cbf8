#include "ui/kit/ColourBox.h"

#include <QPainter>
#include <QPixmap>

#include "ui/paint/PageRenderer.h"

namespace cinevaro::ui {

namespace {

QIcon swatch(std::uint32_t value)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(paint::fromWindowsColour(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

} // namespace

const std::vector<NamedColour>& namedColours()
{
    static const std::vector<NamedColour> colours = {
        {"Noir", 0},
        {"Marron", 128},
        {"Vert", 32768},
        {"Olive", 32896},
        {"Bleu marine", 8388608},
        {"Pourpre", 8388736},
        {"Sarcelle", 8421376},
        {"Gris", 8421504},
        {"Argent", 12632256},
        {"Rouge", 255},
        {"Citron vert", 65280},
        {"Jaune", 65535},
        {"Bleu", 16711680},
        {"Fuchsia", 16711935},
        {"Aqua", 16776960},
        {"Blanc", 16777215},
        {"Vert monnaie", 12639424},
        {"Bleu ciel", 15780518},
        {"Crème", 15793151},
        {"Gris moyen", 10789024},
    };
    return colours;
}

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent)
{
    for (const auto& c : namedColours())
        addItem(swatch(c.value), QString::fromUtf8(c.name), QVariant::fromValue<uint>(c.value));
}

void ColourBox::setColourValue(std::uint32_t value)
{
    const int listed = static_cast<int>(namedColours().size());
    for (int i = 0; i < listed; ++i) {
        if (itemData(i).toUInt() == value) {
            if (hasCustomEntry())
                removeItem(listed);
            setCurrentIndex(i);
            return;
        }
    }
    if (!hasCustomEntry())
        addItem(QString());
    setItemText(listed, QStringLiteral("Personnalisée"));
    setItemIcon(listed, swatch(value));
    setItemData(listed, QVariant::fromValue<uint>(value));
    setCurrentIndex(listed);
}

std::uint32_t ColourBox::colourValue() const
{
    return currentData().toUInt();
}

} // namespace cinevaro::ui
