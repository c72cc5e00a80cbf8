// The twelve technical fields of a movie record (formats, resolution, zone, bit rates, size,
// frame rate, languages, subtitles, discs): reading them, comparing edits, saving them.
#pragma once

#include <array>
#include <string>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"

namespace cinevaro::editing {

inline constexpr int kTechFieldCount = 12;
using TechValues = std::array<std::string, kTechFieldCount>;

// FORMATVIDEO, FORMATAUDIO, RESOLUTION, ZONE, BITVIDEO, BITAUDIO, SIZE, FREQUENCE, LANGUEP,
// LANGUES, SOUSTITRE, NBDISK, in the order of TechValues.
const std::array<std::string, kTechFieldCount>& techFieldNames();
// Index of SIZE, FREQUENCE, RESOLUTION and FORMATVIDEO in TechValues.
enum TechIndex : int { techFormatVideo = 0, techResolution = 2, techSize = 6, techFrequence = 7 };

// The twelve values of a row (empty texts for a row out of range).
TechValues readTechValues(const table::TMlb2& table, int row);
// True when one value differs from its field in `row` (exact, case-sensitive).
bool techDiffers(const table::TMlb2& table, int row, const TechValues& values);
// Writes the twelve fields of `row` and saves the catalogue. On a failed save the row gets its
// previous values back, the file stays as it was and the message says why.
catalogue::Outcome saveTechValues(catalogue::CatalogueState& state, int row, const TechValues& values);

} // namespace cinevaro::editing
