// Containers behind the table: an indexed list of items, a list of texts and a list of rows.
// Backed by std::vector, so access by position costs the same wherever it lands.
#pragma once

#include <string>
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
    void Put(int index, T item) { m_items[static_cast<std::size_t>(index - 1)] = std::move(item); }
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
    // 1-based index of the first item equal to `item`, 0 when absent.
    int IndexOf(const T& item) const
    {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i] == item)
                return static_cast<int>(i + 1);
        return 0;
    }
    std::vector<T>& Items() { return m_items; }
    const std::vector<T>& Items() const { return m_items; }

private:
    std::vector<T> m_items;
};

// Texts with 0-based positions; reading out of range gives the empty text.
class TKStringList
{
public:
    TKStringList() = default;
    explicit TKStringList(int count) { m_list.Items().resize(static_cast<std::size_t>(count)); }

    int Count() const { return m_list.Count(); }
    const std::string& Get(int i) const
    {
        static const std::string empty;
        return i >= 0 && i < Count() ? m_list.Get(i + 1) : empty;
    }
    // Ignored when out of range.
    void Set(int i, std::string value)
    {
        if (i >= 0 && i < Count())
            m_list.Put(i + 1, std::move(value));
    }
    void Add(std::string value) { m_list.Add(std::move(value)); }
    void Clear() { m_list.Clear(); }
    // Position of the first text equal byte for byte, -1 when absent.
    int IndexOf(const std::string& value) const { return m_list.IndexOf(value) - 1; }
    std::vector<std::string>& Items() { return m_list.Items(); }
    const std::vector<std::string>& Items() const { return m_list.Items(); }
    bool operator==(const TKStringList& other) const { return Items() == other.Items(); }

private:
    TKList<std::string> m_list;
};

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
