// Reading a catalogue file into its complete, sorted table: at the open, or ahead on another
// thread while the windows are made at start-up (the open then takes that table when the file has
// not changed since).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "table/MappedFile.h"
#include "table/TMlb2.h"

namespace cinevaro::catalogue {

struct CatalogueRead
{
    std::optional<table::MappedFile> bytes; // the file as mapped; none when it could not be
    std::unique_ptr<table::TMlb2> table;    // complete and sorted when ok, else its LastErrorCode says why
    bool ok = false;
    // Whether the table, once completed and sorted, serialises to exactly `bytes`: worked out while
    // reading when asked (the read ahead does, so that the open need not), else unknown.
    std::optional<bool> serialisesToBytes;
};

// Reads `path` (mapped when it can be), completes every row to the schema, fills RESERVE1 (the
// title) and RESERVE2 (the default supports) where empty and sorts by TITRE. With `prefault`, the
// memory the table will take is made present first; `contentHash`, when given, receives the hash
// of the bytes mapped, taken before they are read. With `compare`, `serialisesToBytes` is worked
// out when the file was mapped.
CatalogueRead readCatalogueFile(const std::string& path, bool prefault, std::size_t* contentHash = nullptr,
                                bool compare = false);

// Starts reading `path` on another thread (what was read ahead before is dropped).
void readCatalogueAhead(const std::string& path);
// The table read ahead for `path` when the file still holds the bytes read, waiting for the
// reading to end; nothing otherwise, nor when none was started. A table is taken once.
std::optional<CatalogueRead> takeCatalogueReadAhead(const std::string& path);
// Test seam: waits until the reading started by readCatalogueAhead has ended, leaving its table
// to be taken.
void waitForCatalogueReadAheadForTesting();

} // namespace cinevaro::catalogue
