// The files of the version store: their names, their header, and the file operations the store
// uses. Internal to the catalogue module (Versions.cpp, VersionPacking.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cinevaro::catalogue::versionfiles {

// Largest file the store reads or inflates.
inline constexpr std::size_t kMaxFileSize = std::size_t(1) << 31;
// Versions kept whatever their age, and the age in days beyond which older ones go.
inline constexpr int kKeepLast = 50;
inline constexpr std::int64_t kKeepDays = 60;
// A new base is packed when a version shares less than this with the current base.
inline constexpr double kNewBaseShare = 0.3;

// The clock set for tests (empty: the system's).
std::function<std::int64_t()>& clockFunction();

// The whole file; nothing when it cannot be read.
std::optional<std::string> readWhole(const std::string& path);
// Every version file goes through the safe-file helper: temporary file, sync, rename.
bool writeWhole(const std::string& path, std::string_view bytes);
// Whether something (even a link) has that name.
bool exists(const std::string& path);
// Moves a file, copying across file systems.
bool moveFile(const std::string& from, const std::string& to);
// Year and day of the year of a time, in local time ("2026-342").
std::string localDay(std::int64_t time);
// Films of a catalogue file's bytes (rows but the header row); -1 when they are not a catalogue.
int filmCount(const std::string& bytes);

// The header that starts every version file.
struct Header
{
    std::int64_t time = 0; // 0 when the header names none
    std::string operation;
    bool redo = false;
    bool keepRedo = false; // made by a redo: the other redo entries stay
    int films = -1;
    int base = 0;
    std::vector<std::string> kept;
    std::vector<std::string> added;
};

std::string formatHeader(const Header& h);
// Parses the header; `end` receives the offset of the bytes after it.
std::optional<Header> parseHeader(std::string_view text, std::size_t* end = nullptr);
// The header of a version file, read up to its end however many covers it names, without the
// packed catalogue after it; nothing when the file cannot be read or holds no whole header.
std::optional<Header> readHeader(const std::string& path);

// "v12.ver" -> 12; 0 when the name is not of that kind.
int numberOf(const std::string& name, const std::string& prefix, const std::string& suffix);
// A cover name that stays inside its folder: not empty, no "/", no dot name, no control character.
bool safeCoverName(const std::string& name);
// The last component of a path.
std::string fileName(const std::string& path);

} // namespace cinevaro::catalogue::versionfiles
