#include "table/TMlb2.h"

#include <functional>
#include <unordered_map>
#include <utility>

#include "table/Text.h"

namespace cinevaro::table {

TMlb2::TMlb2() : m_matcher(true, true)
{
}

void TMlb2::setError(int code, const std::string& message)
{
    m_lastErrorCode = code;
    m_lastErrorMessage = message;
}

void TMlb2::Clear()
{
    clearError();
    m_names.Clear();
    m_types.Clear();
    m_rows.Clear();
    m_cursor = 0;
    m_bof = true;
    m_eof = true;
}

bool TMlb2::AddField(const std::string& name)
{
    if (name.find_first_not_of(' ') == std::string::npos)
        return false;
    if (m_names.IndexOf(name) >= 0)
        return false;
    m_names.Add(name);
    m_types.Add("STRING");
    for (auto& row : m_rows.Items())
        row.Add({});
    return true;
}

int TMlb2::FieldCount() const
{
    return m_names.Count();
}

std::string TMlb2::GetFieldName(int i) const
{
    return std::string(m_names.Get(i - 1));
}

std::string TMlb2::GetFieldType(int i) const
{
    return std::string(m_types.Get(i - 1));
}

void TMlb2::SetFieldType(int i, const std::string& type)
{
    m_types.Set(i - 1, type);
}

int TMlb2::FieldIndex(const std::string& name) const
{
    return m_names.IndexOf(name) + 1;
}

int TMlb2::RowCount() const
{
    return m_rows.Count();
}

bool TMlb2::IsEmpty() const
{
    return RowCount() < 1;
}

bool TMlb2::AppendRow()
{
    m_rows.Add(TKStringList(FieldCount()));
    return MoveLast();
}

bool TMlb2::DeleteRow(int n)
{
    if (n < 1 || n > RowCount())
        return false;
    m_rows.Delete(n - 1);
    return true;
}

bool TMlb2::MoveTo(int n)
{
    if (n < 1 || n > RowCount()) {
        m_bof = true;
        m_eof = true;
        return false;
    }
    m_cursor = n;
    m_bof = false;
    m_eof = false;
    return true;
}

bool TMlb2::MoveFirst()
{
    if (IsEmpty()) {
        m_cursor = 0;
        m_bof = true;
        m_eof = true;
        return false;
    }
    return MoveTo(1);
}

bool TMlb2::MoveLast()
{
    if (IsEmpty()) {
        m_cursor = 0;
        m_bof = true;
        m_eof = true;
        return false;
    }
    return MoveTo(RowCount());
}

bool TMlb2::MoveNext()
{
    // No current row counts as standing before row 1.
    if (!IsEmpty() && m_cursor < RowCount())
        return MoveTo(m_cursor + 1);
    m_eof = true;
    m_bof = IsEmpty();
    return false;
}

// After deleting rows the cursor may stand past the last row: that reads as no current row.
TKStringList* TMlb2::currentRow()
{
    return m_cursor >= 1 && m_cursor <= RowCount() ? &m_rows.Get(m_cursor - 1) : nullptr;
}

const TKStringList* TMlb2::currentRow() const
{
    return m_cursor >= 1 && m_cursor <= RowCount() ? &m_rows.Get(m_cursor - 1) : nullptr;
}

std::string TMlb2::GetValue(const std::string& field) const
{
    const TKStringList* row = currentRow();
    const int i = FieldIndex(field);
    return row && i > 0 ? std::string(row->Get(i - 1)) : std::string();
}

bool TMlb2::SetValue(const std::string& field, const std::string& value)
{
    return SetValueAt(FieldIndex(field), value);
}

bool TMlb2::SetValueAt(int i, const std::string& value)
{
    TKStringList* row = currentRow();
    if (!row || i < 1 || i > FieldCount())
        return false;
    row->Set(i - 1, value);
    return true;
}

std::string TMlb2::GetCell(int i, int n) const
{
    if (i < 1 || i > FieldCount() || n < 1 || n > RowCount())
        return std::string();
    return std::string(m_rows.Get(n - 1).Get(i - 1));
}

std::string_view TMlb2::Cell(int i, int n) const
{
    if (i < 1 || i > FieldCount() || n < 1 || n > RowCount())
        return {};
    return m_rows.Get(n - 1).Get(i - 1);
}

bool TMlb2::SetCell(int i, int n, const std::string& value)
{
    if (i < 1 || i > FieldCount() || n < 1 || n > RowCount())
        return false;
    m_rows.Get(n - 1).Set(i - 1, value);
    return true;
}

double TMlb2::GetFloat(const std::string& field) const
{
    if (!currentRow() || FieldIndex(field) < 1)
        return 0;
    return ParseNumber(GetValue(field));
}

bool TMlb2::SetFloat(const std::string& field, double value)
{
    return SetValue(field, FormatNumber(value));
}

bool TMlb2::RowsEqual(int n, int m) const
{
    if (n < 1 || n > RowCount() || m < 1 || m > RowCount())
        return false;
    return m_rows.Get(n - 1) == m_rows.Get(m - 1);
}

// Keeps the first row of every group of identical rows, in place. Rows are bucketed by a hash
// of their values so that each row is compared only with the kept rows of the same hash.
void TMlb2::RemoveDuplicates()
{
    clearError();
    auto& rows = m_rows.Items();
    std::unordered_map<std::size_t, std::vector<std::size_t>> kept;
    std::vector<TKStringList> result;
    result.reserve(rows.size());
    for (auto& row : rows) {
        const std::size_t h = std::hash<std::string_view>{}(row.Packed());
        auto& bucket = kept[h];
        bool duplicate = false;
        for (std::size_t index : bucket)
            if (result[index] == row) {
                duplicate = true;
                break;
            }
        if (duplicate)
            continue;
        bucket.push_back(result.size());
        result.push_back(std::move(row));
    }
    rows = std::move(result);
}

// std::string compares with char_traits<char>, which orders bytes as unsigned codes.
bool TMlb2::Search(const std::string& field, const std::string& op, const std::string& value) const
{
    const std::string current = GetValue(field);
    if (op == "<")
        return current < value;
    if (op == ">")
        return current > value;
    if (op == "=")
        return current == value;
    if (op == "<=")
        return current <= value;
    if (op == ">=")
        return current >= value;
    if (upperAscii(op) == "LIKE")
        return m_matcher.Matches(current, value);
    return false;
}

} // namespace cinevaro::table
