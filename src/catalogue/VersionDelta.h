// Deltas between two versions of a catalogue file, and zlib packing, for the kept versions.
// A delta rebuilds `target` from `base`: the target is cut into content-defined chunks, and each
// chunk that also stands in the base becomes a copy of base bytes, the rest literal bytes. Edits,
// additions and deletions of records move only the chunks they touch, whatever the file order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cinevaro::catalogue {

std::string makeDelta(std::string_view base, std::string_view target);
// nullopt when the delta is damaged or does not fit the base.
std::optional<std::string> applyDelta(std::string_view base, std::string_view delta);
// Bytes the delta carries literally (what the base did not have).
std::size_t deltaLiteralBytes(std::string_view delta);

std::string deflateBytes(std::string_view bytes, int level);
// nullopt when damaged or larger than maxSize.
std::optional<std::string> inflateBytes(std::string_view packed, std::size_t maxSize);

} // namespace cinevaro::catalogue
