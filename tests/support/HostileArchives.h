// The hostile archive mode of the stand-in film service: a film page whose archive link the test
// chooses, an archive of any bytes behind it, and makers of the odd archives no archiver writes
// (zip bombs, lying sizes). Kept apart from the service itself, which only gains a handler.
#pragma once

#include <cstdint>
#include <string>

#include "support/FakeFilmService.h"

namespace cinevaro::testing {

// Serves `film`'s page with `link` as its archive link (the import takes the archive name from its
// last segment) and `archive` at every "/getzip.html/..." address. Replaces the service's handler.
void serveHostileArchive(FakeFilmService& service, const FakeFilm& film, const std::string& link,
                         const std::string& archive);

// A deflated archive (at `level`) whose one entry `name` is `size` zero bytes: a zip bomb of ratio
// near 1000.
// Made by packing a sparse file of `workFolder` with the archive writer; the file is removed.
std::string zeroBombArchive(const std::string& name, std::uint64_t size, const std::string& workFolder, int level = 9);

// The archive with the uncompressed size of every local and central header set to `claimed`.
std::string withClaimedSize(std::string archive, std::uint32_t claimed);

} // namespace cinevaro::testing
