// Technical values read from the header of an AVI file: size, frame rate, resolution and video
// codec. The header is read at fixed offsets (RIFF, hdrl, avih, then the first stream's strh and
// its BITMAPINFOHEADER), without walking the chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace cinevaro::editing {

struct AviInfo
{
    // Each value is set once its read succeeded; a failure leaves the later ones unset.
    std::optional<std::string> size;        // megabytes, remainder dropped
    std::optional<std::string> frequence;   // rate / scale, three decimals, full stop
    std::optional<std::string> resolution;  // "%dx%d"
    std::optional<std::string> formatVideo; // codec name; unset when no scanned word matches
    bool ok = true;
    std::string error; // French message (Windows-1252) when !ok
};

// Bytes from offset 0 needed by the reads, the codec scan included.
inline constexpr std::size_t kAviHeaderBytes = 8200;

// Reads the values from the first bytes of a file (`data`, `available` bytes, usually
// min(file length, kAviHeaderBytes)) and the file's full length in bytes.
AviInfo readAviInfo(const unsigned char* data, std::size_t available, std::uint64_t fileLength);

// Opens the file and reads its values; a file that cannot be opened gives a French message.
AviInfo readAviFile(const std::string& path);

// Name of the codec table entry for a 4-byte word (text up to the first zero byte, upper-cased
// the Windows-1252 way, accented capitals folded); the highest matching entry wins. Nothing when
// no entry matches.
std::optional<std::string> codecName(const unsigned char* word, std::size_t length);

} // namespace cinevaro::editing
