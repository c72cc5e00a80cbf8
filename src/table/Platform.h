// The few system facts the table engine depends on, settable so that tests and the
// application can choose them.
#pragma once

namespace cinevaro::table {

// Decimal separator used by ParseNumber and FormatNumber ('.' until set).
char systemDecimalSeparator();
void setSystemDecimalSeparator(char separator);

// Test seam for SaveToFile: when `bytes` >= 0, writing the file fails once that many bytes have
// been written, as on a full disk. -1 (the default) turns it off.
void setSaveWriteLimitForTesting(long long bytes);
long long saveWriteLimitForTesting();

} // namespace cinevaro::table
