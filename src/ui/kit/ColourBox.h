// Colour box: a drop-down list of the twenty named colours, each with its swatch, holding
// Windows colour values (0x00BBGGRR). A value that is not in the list shows as an extra
// "Personnalisée" entry and is given back unchanged.
#pragma once

#include <QComboBox>

#include <cstdint>
#include <vector>

namespace cinevaro::ui {

struct NamedColour
{
    const char* name; // UTF-8
    std::uint32_t value;
};

// The twenty colours, in list order.
const std::vector<NamedColour>& namedColours();

class ColourBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ColourBox(QWidget* parent = nullptr);

    void setColourValue(std::uint32_t value);
    std::uint32_t colourValue() const;
    // Whether the extra "Personnalisée" entry is present.
    bool hasCustomEntry() const { return count() > static_cast<int>(namedColours().size()); }
};

} // namespace cinevaro::ui
