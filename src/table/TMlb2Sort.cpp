// SortBy gives the order of a plain exchange sort (for i, for j > i: swap rows i and j when row
// i's key is greater), computed in O(n log n) plus the cost of the tie rotations.
//
// Facts behind the computation (a pass is one value of i; S is the part of the rows from i on):
// 1. A pass carries a running minimum to the right: the strict prefix minima of S ("records")
//    rotate one record slot to the right and the last record (the first occurrence of the least
//    key) lands at i. Every other row stays where it is.
// 2. The rows whose keys are at most some key v evolve as if the sort ran on them alone: the
//    records among them are their own prefix minima and move between their own slots.
// 3. For a key v, look at the rows of key v (the group) and the rows with a smaller key. Each
//    pass removes the first smaller-key slot. The group's first row moves only when it stands
//    before every smaller-key row; it then moves behind the other group rows that stand before
//    the first smaller-key row. Once no smaller key remains, the group leaves S in its order.
// So, with a_t the number of group rows placed (originally) before the t-th smaller-key row, the
// group's final order is its original order after, for each t, moving its first row to
// position a_t. Consecutive passes with the same a_t amount to one rotation.
#include "table/TMlb2.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace cinevaro::table {

namespace {

class Fenwick
{
public:
    explicit Fenwick(std::size_t n) : m_tree(n + 1, 0) {}
    void add(std::size_t pos)
    {
        for (std::size_t i = pos + 1; i < m_tree.size(); i += i & (~i + 1))
            ++m_tree[i];
    }
    // Number of marked positions below `pos`.
    std::size_t countBelow(std::size_t pos) const
    {
        std::size_t sum = 0;
        for (std::size_t i = pos; i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }

private:
    std::vector<std::size_t> m_tree;
};

// New order of row positions for the given keys (see the note at the top of the file).
std::vector<std::size_t> exchangeSortOrder(const std::vector<std::string_view>& keys, bool ascending)
{
    const std::size_t n = keys.size();
    std::vector<std::size_t> byKey(n);
    std::iota(byKey.begin(), byKey.end(), std::size_t{0});
    auto before = [&](std::size_t a, std::size_t b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a < b;
    };
    std::sort(byKey.begin(), byKey.end(), before);

    std::vector<std::size_t> order;
    order.reserve(n);
    Fenwick placed(n); // positions of the rows whose keys come earlier
    std::size_t groupStart = 0;
    while (groupStart < n) {
        std::size_t groupEnd = groupStart + 1;
        while (groupEnd < n && keys[byKey[groupEnd]] == keys[byKey[groupStart]])
            ++groupEnd;
        // byKey holds the group in original position order (ties broken by position).
        const std::size_t size = groupEnd - groupStart;
        const std::size_t first = order.size();
        order.insert(order.end(), byKey.begin() + static_cast<std::ptrdiff_t>(groupStart),
                     byKey.begin() + static_cast<std::ptrdiff_t>(groupEnd));
        if (size > 1 && placed.countBelow(n) > 0) {
            const std::size_t total = placed.countBelow(n);
            for (std::size_t k = 1; k <= size; ++k) {
                // Smaller-key rows between the k-th and the (k+1)-th group row: during those
                // passes the first k group rows rotate.
                const std::size_t lo = placed.countBelow(byKey[groupStart + k - 1]);
                const std::size_t hi = k < size ? placed.countBelow(byKey[groupStart + k]) : total;
                const std::size_t shift = (hi - lo) % k;
                if (shift != 0) {
                    auto begin = order.begin() + static_cast<std::ptrdiff_t>(first);
                    std::rotate(begin, begin + static_cast<std::ptrdiff_t>(shift),
                                begin + static_cast<std::ptrdiff_t>(k));
                }
            }
        }
        for (std::size_t g = groupStart; g < groupEnd; ++g)
            placed.add(byKey[g]);
        groupStart = groupEnd;
    }
    return order;
}

} // namespace

bool TMlb2::SortBy(const std::string& field, bool ascending)
{
    const int f = FieldIndex(field);
    if (f < 1 || RowCount() < 2)
        return true; // every key reads as empty: nothing moves
    auto& rows = m_rows.Items();
    // The keys are copied side by side into one block, so that sorting compares within it
    // instead of chasing every row.
    std::string block;
    std::vector<std::size_t> offsets;
    offsets.reserve(rows.size() + 1);
    for (const auto& row : rows) {
        offsets.push_back(block.size());
        block += row.Get(f - 1);
    }
    offsets.push_back(block.size());
    std::vector<std::string_view> keys;
    keys.reserve(rows.size());
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i)
        keys.emplace_back(block.data() + offsets[i], offsets[i + 1] - offsets[i]);
    const std::vector<std::size_t> order = exchangeSortOrder(keys, ascending);
    std::vector<TKStringList> sorted;
    sorted.reserve(rows.size());
    for (std::size_t from : order)
        sorted.push_back(std::move(rows[from]));
    rows = std::move(sorted);
    return true;
}

} // namespace cinevaro::table
