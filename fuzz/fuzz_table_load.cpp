// Feeds arbitrary bytes to the MLB table reader. Whatever loads must save and load again to the
// same table, and a refused file must leave the table untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "table/TMlb2.h"

using cinevaro::table::TMlb2;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TMlb2 t;
    t.AddField("KEEP");
    t.AppendRow();
    t.SetValue("KEEP", "value");
    if (!t.LoadFromBuffer(bytes)) {
        if (t.LastErrorCode() == 0 || t.FieldCount() != 1 || t.GetValue("KEEP") != "value")
            std::abort();
        return 0;
    }
    const std::string saved = t.SaveToBuffer();
    TMlb2 again;
    if (!again.LoadFromBuffer(saved) || again.SaveToBuffer() != saved || again.RowCount() != t.RowCount())
        std::abort();
    if (t.FieldCount() > 0) {
        t.SortBy(t.GetFieldName(1), true);
        t.RemoveDuplicates();
    }
    return 0;
}
