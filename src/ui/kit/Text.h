// Conversions between the core's Windows-1252 bytes and Qt's Unicode strings (the windows cross
// that edge only through fromCp and toCp), and the system's number format as the core reads it.
#pragma once

#include <QString>

#include <optional>
#include <string>

class QLocale;

namespace cinevaro::ui {

QString fromCp(const std::string& bytes);
// Nothing when the text holds a character Windows-1252 cannot hold; `message` then receives the
// French explanation to show.
std::optional<std::string> toCp(const QString& text, QString* message = nullptr);
// The decimal separator the core reads and writes numbers with under `locale`: nothing when the
// locale's separator is no single ASCII character (the core then keeps its own).
std::optional<char> decimalSeparatorOf(const QLocale& locale);

} // namespace cinevaro::ui
