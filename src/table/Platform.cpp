#include "table/Platform.h"

#include <atomic>

namespace cinevaro::table {

namespace {
std::atomic<char> g_decimalSeparator{'.'};
std::atomic<long long> g_saveWriteLimit{-1};
} // namespace

char systemDecimalSeparator()
{
    return g_decimalSeparator.load();
}

void setSystemDecimalSeparator(char separator)
{
    g_decimalSeparator.store(separator);
}

void setSaveWriteLimitForTesting(long long bytes)
{
    g_saveWriteLimit.store(bytes);
}

long long saveWriteLimitForTesting()
{
    return g_saveWriteLimit.load();
}

} // namespace cinevaro::table
