// In-memory table of named text fields with one row cursor, persisted whole as an "MLB" file.
// All positions seen by callers are 1-based. Values are Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "table/TConcordances.h"
#include "table/TKList.h"

namespace cinevaro::table {

// Cells a table may hold beyond one per 4 bytes of its file (see LoadFromFile).
inline constexpr unsigned long long kMaxCellsBeyondFile = 4'194'304;

class TMlb2
{
public:
    TMlb2();

    void Clear();
    bool AddField(const std::string& name);
    int FieldCount() const;
    std::string GetFieldName(int i) const;
    std::string GetFieldType(int i) const;
    void SetFieldType(int i, const std::string& type);
    // 1-based position of the field named exactly `name`, 0 when absent.
    int FieldIndex(const std::string& name) const;

    int RowCount() const;
    bool IsEmpty() const;
    bool AppendRow();
    bool DeleteRow(int n);

    bool MoveTo(int n);
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    void SetEof(bool eof) { m_eof = eof; }
    // Index of the current row, 0 when there is none.
    int CurrentIndex() const { return m_cursor; }

    std::string GetValue(const std::string& field) const;
    bool SetValue(const std::string& field, const std::string& value);
    bool SetValueAt(int i, const std::string& value);
    std::string GetCell(int i, int n) const;
    // The cell itself (an empty text out of range), valid until the table changes: for scans
    // that only read.
    std::string_view Cell(int i, int n) const;
    // Writes a cell without touching the cursor; false when out of range.
    bool SetCell(int i, int n, const std::string& value);
    double GetFloat(const std::string& field) const;
    bool SetFloat(const std::string& field, double value);

    bool RowsEqual(int n, int m) const;
    void RemoveDuplicates();
    bool Search(const std::string& field, const std::string& op, const std::string& value) const;
    bool SortBy(const std::string& field, bool ascending);

    // Replaces the table by the file's content; on any failure the table stays as it was.
    // `completedFields`: the number of fields the caller will give every row after loading; a
    // file whose rows would then cost far more memory than its size justifies is refused
    // before they are built (error code 4).
    bool LoadFromFile(const std::string& fileName, int completedFields = 0);
    // Same from the bytes of a table file already in memory.
    bool LoadFromBuffer(std::string_view bytes, int completedFields = 0);
    // Writes a temporary file beside the target and renames it over the target, so a failed
    // save leaves the previous file intact.
    bool SaveToFile(const std::string& fileName);
    // The bytes SaveToFile writes.
    std::string SaveToBuffer() const;
    // Whether SaveToBuffer() would give exactly `bytes` (compared in place, nothing written).
    bool SerialisesTo(std::string_view bytes) const;

    const std::string& TableName() const { return m_tableName; }
    void SetTableName(const std::string& name) { m_tableName = name; }
    int LastErrorCode() const { return m_lastErrorCode; }
    const std::string& LastErrorMessage() const { return m_lastErrorMessage; }

private:
    // The current row, null when the cursor designates no row.
    TKStringList* currentRow();
    const TKStringList* currentRow() const;
    bool loadFromBytes(std::string_view bytes, int completedFields);
    void serialise(std::string& out) const;
    template <typename Out> void serialiseInto(Out& out) const;
    void setError(int code, const std::string& message);
    void clearError() { setError(0, std::string()); }

    std::string m_tableName;
    int m_cursor = 0;
    bool m_bof = true;
    bool m_eof = true;
    TKStringList m_names;
    TKStringList m_types;
    TKBaseList m_rows;
    TConcordances m_matcher;
    int m_lastErrorCode = 0;
    std::string m_lastErrorMessage;
};

// Text to number as GetFloat reads it (0 for anything that is not a number).
double ParseNumber(const std::string& text);
// Number to text as SetFloat writes it: general format, at most 15 significant digits.
std::string FormatNumber(double value);

} // namespace cinevaro::table
