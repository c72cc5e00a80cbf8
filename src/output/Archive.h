// The archive of a catalogue: the catalogue file and every file of its collection folder,
// sub-folders included, at the strongest compression, stored under names relative to the
// catalogue's folder ("Films.cvo", "Films/cover.jpg") so that unpacking it anywhere gives back a
// working catalogue. The archive window and "cinevaro-cli archive" both call this.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "catalogue/Outcome.h"

namespace cinevaro::output {

// Progress of the writing: type (0 a file begins, 1 one step per 32768 bytes, 2 the end), the
// file's name and size.
using ArchiveProgress = std::function<void(int progrType, const std::string& fileName, std::int64_t fileSize)>;

// Writes (or updates) the archive `zipPath`. On failure the French message says why, and no
// archive is left under that name unless one was there before, unchanged.
catalogue::Outcome archiveCatalogue(const std::string& catalogueFile, const std::string& zipPath,
                                    const ArchiveProgress& progress = {});

} // namespace cinevaro::output
