// Containers behind the table: an indexed list of items, a packed list of texts and a list of
// rows. Access by position costs the same wherever it lands.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cinevaro::table {

// List of items addressed by 1-based index. Out-of-range indexes are the caller's fault;
// the wrappers below check them.
template <typename T> class TKList
{
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    void Add(T item) { m_items.push_back(std::move(item)); }
    T& Get(int index) { return m_items[static_cast<std::size_t>(index - 1)]; }
    const T& Get(int index) const { return m_items[static_cast<std::size_t>(index - 1)]; }
    // Removes the item and hands it back.
    T Delete(int index)
    {
        auto it = m_items.begin() + (index - 1);
        T item = std::move(*it);
        m_items.erase(it);
        return item;
    }
    void Exchange(int a, int b) { std::swap(Get(a), Get(b)); }
    void Clear() { m_items.clear(); }
    std::vector<T>& Items() { return m_items; }
    const std::vector<T>& Items() const { return m_items; }

private:
    std::vector<T> m_items;
};

// Texts with 0-based positions; reading out of range gives the empty text. The texts are packed
// into one block (their end offsets, then their bytes): a row of a catalogue costs one
// allocation of about its size in the file instead of one string object per field, which
// matters at start-up, where every fresh page of memory costs more than the parsing.
class TKStringList
{
public:
    TKStringList() = default;
    explicit TKStringList(int count) : m_count(count > 0 ? count : 0) { m_data.assign(4 * std::size_t(m_count), '\0'); }
    // The texts of `values`, in order.
    explicit TKStringList(const std::vector<std::string_view>& values) { Assign(values); }

    int Count() const { return m_count; }
    std::string_view Get(int i) const
    {
        if (i < 0 || i >= m_count)
            return {};
        const std::size_t begin = i == 0 ? 0 : end(i - 1);
        return std::string_view(m_data).substr(textStart() + begin, end(i) - begin);
    }
    // Ignored when out of range.
    void Set(int i, std::string_view value);
    void Add(std::string_view value);
    void Assign(const std::vector<std::string_view>& values);
    void Clear()
    {
        m_count = 0;
        m_data.clear();
    }
    // Position of the first text equal byte for byte, -1 when absent.
    int IndexOf(std::string_view value) const
    {
        for (int i = 0; i < m_count; ++i)
            if (Get(i) == value)
                return i;
        return -1;
    }
    // The packed block: equal blocks hold equal texts (for hashing and comparing whole rows).
    std::string_view Packed() const { return m_data; }
    bool operator==(const TKStringList& other) const { return m_count == other.m_count && m_data == other.m_data; }

private:
    std::size_t textStart() const { return 4 * std::size_t(m_count); }
    std::uint32_t end(int i) const
    {
        std::uint32_t e;
        std::memcpy(&e, m_data.data() + 4 * std::size_t(i), 4);
        return e;
    }
    void setEnd(int i, std::uint32_t e) { std::memcpy(m_data.data() + 4 * std::size_t(i), &e, 4); }

    int m_count = 0;
    std::string m_data; // m_count end offsets (native 32-bit), then the texts end to end
};

inline void TKStringList::Set(int i, std::string_view value)
{
    if (i < 0 || i >= m_count)
        return;
    const std::size_t begin = i == 0 ? 0 : end(i - 1);
    const std::size_t old = end(i) - begin;
    if (value.size() == old) {
        m_data.replace(textStart() + begin, old, value);
        return;
    }
    const std::string copy(value); // `value` may lie inside this list
    m_data.replace(textStart() + begin, old, copy);
    const auto delta = static_cast<std::uint32_t>(copy.size() - old); // wraps when shrinking
    for (int j = i; j < m_count; ++j)
        setEnd(j, end(j) + delta);
}

inline void TKStringList::Add(std::string_view value)
{
    const std::string copy(value);
    const std::uint32_t last = m_count > 0 ? end(m_count - 1) : 0;
    const auto e = static_cast<std::uint32_t>(last + copy.size());
    m_data.insert(textStart(), 4, '\0');
    ++m_count;
    setEnd(m_count - 1, e);
    m_data += copy;
}

inline void TKStringList::Assign(const std::vector<std::string_view>& values)
{
    std::size_t size = 4 * values.size();
    for (const auto& v : values)
        size += v.size();
    std::string data;
    data.reserve(size);
    data.resize(4 * values.size());
    std::uint32_t e = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        e += static_cast<std::uint32_t>(values[i].size());
        std::memcpy(data.data() + 4 * i, &e, 4);
    }
    for (const auto& v : values)
        data += v;
    m_data = std::move(data);
    m_count = static_cast<int>(values.size());
}

// Rows of the table with 0-based positions; callers check the positions.
class TKBaseList
{
public:
    int Count() const { return m_list.Count(); }
    TKStringList& Get(int i) { return m_list.Get(i + 1); }
    const TKStringList& Get(int i) const { return m_list.Get(i + 1); }
    void Add(TKStringList row) { m_list.Add(std::move(row)); }
    void Delete(int i) { m_list.Delete(i + 1); }
    void Swap(int a, int b) { m_list.Exchange(a + 1, b + 1); }
    void Clear() { m_list.Clear(); }
    std::vector<TKStringList>& Items() { return m_list.Items(); }
    const std::vector<TKStringList>& Items() const { return m_list.Items(); }

private:
    TKList<TKStringList> m_list;
};

} // namespace cinevaro::table
