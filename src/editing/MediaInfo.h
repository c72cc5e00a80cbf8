// Technical values of a video file of any common container (MKV, MP4, MOV, M2TS, WebM, OGM ...),
// read with the MediaInfo library: the fields "Extraire du fichier" fills, plus the languages.
// AVI files keep their own header reading (AviInfo.h); readTechFile chooses between the two.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cinevaro::editing {

// Every value is Windows-1252 text for its catalogue field; unset when the file does not say.
struct MediaInfo
{
    std::optional<std::string> formatVideo; // FORMATVIDEO: the format list's text, else the library's name
    std::optional<std::string> formatAudio; // FORMATAUDIO, from the main audio track
    std::optional<std::string> resolution;  // RESOLUTION: "%dx%d"
    std::optional<std::string> bitVideo;    // BITVIDEO: kb/s, rounded
    std::optional<std::string> bitAudio;    // BITAUDIO: kb/s of the main audio track
    std::optional<std::string> size;        // SIZE: megabytes, remainder dropped
    std::optional<std::string> frequence;   // FREQUENCE: three decimals, full stop
    std::optional<std::string> langueP;     // LANGUEP: main audio track's language
    std::optional<std::string> langueS;     // LANGUES: the next audio track's language
    std::optional<std::string> sousTitre;   // SOUSTITRE: first subtitle track's language
    bool ok = true;
    std::string error; // French message (Windows-1252) when !ok; then no value is set
};

// Bytes handed to the library at most from the start and from each place it asks to jump to,
// and in all. Container headers (an MP4 index of a long film included) lie well within these; the
// rest of a large file is never read.
inline constexpr std::uint64_t kMediaReadStretch = 16u * 1024 * 1024;
inline constexpr std::uint64_t kMediaReadTotal = 64u * 1024 * 1024;
// Test seam: the bytes the last reading of a file handed to the library.
std::uint64_t mediaBytesReadForTesting();

// The library's file, loaded (dlopen) at the first reading of a file; when it cannot be loaded,
// every non-AVI file gives a French message naming it and its package.
inline constexpr const char* kMediaLibraryFile = "libmediainfo.so.0";
// Loads `fileName` instead at the next reading (another installation's library file).
void useMediaLibrary(const std::string& fileName);

// Reads the file with the library. A file that cannot be opened, that no parser recognises, whose
// tracks cannot be read or that has no video track gives !ok with a French message.
MediaInfo readMediaFile(const std::string& path);

// True for the names "Extraire du fichier" reads as AVI headers: extension .avi or .divx, any case.
bool isAviFileName(const std::string& path);

// The format list's text for a video track (the library's Format, Format_Version and CodecID),
// or the library's own Format when no list entry fits.
std::string videoFormatText(const std::string& format, const std::string& version, const std::string& codecId);
// The same for an audio track (Format, Format_Version, Format_Profile).
std::string audioFormatText(const std::string& format, const std::string& version, const std::string& profile);
// The language list's name (Windows-1252) for an ISO 639-1/639-2 code, optionally followed by a
// region ("fr", "fre", "fra", "en-US", "pt_BR"; any case). Nothing for an unknown code.
std::optional<std::string> languageFromCode(const std::string& code);

} // namespace cinevaro::editing
