#include "ui/kit/Text.h"

#include <QLocale>

#include "table/Cp1252.h"

namespace cinevaro::ui {

QString fromCp(const std::string& bytes)
{
    return QString::fromStdString(table::cp1252ToUtf8(bytes));
}

std::optional<std::string> toCp(const QString& text, QString* message)
{
    std::string bad;
    auto bytes = table::utf8ToCp1252(text.toStdString(), &bad);
    if (!bytes && message)
        *message = fromCp(table::unsupportedCharacterMessage(bad));
    return bytes;
}

std::optional<char> decimalSeparatorOf(const QLocale& locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80)
        return static_cast<char>(point.at(0).unicode());
    return std::nullopt;
}

} // namespace cinevaro::ui
