#include "catalogue/VersionFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "table/MappedFile.h"
#include "table/Platform.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"

namespace fs = std::filesystem;

namespace cinevaro::catalogue::versionfiles {

std::function<std::int64_t()>& clockFunction()
{
    static std::function<std::int64_t()> clock;
    return clock;
}

std::optional<std::string> readWhole(const std::string& path)
{
    return table::readWholeFile(path);
}

// Every version file goes through the safe-file helper: temporary file, sync, rename.
bool writeWhole(const std::string& path, std::string_view bytes)
{
    return table::writeFileAtomically(path, bytes).ok;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Moves a file, copying across file systems.
bool moveFile(const std::string& from, const std::string& to)
{
    if (!table::fileFaultInjected(table::FileOp::Rename) && ::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
        return false;
    fs::remove(from, ec);
    return true;
}

std::string localDay(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return std::to_string(tm.tm_year + 1900) + "-" + std::to_string(tm.tm_yday);
}

int filmCount(const std::string& bytes)
{
    table::TMlb2 t;
    if (!t.LoadFromBuffer(bytes))
        return -1;
    return std::max(0, t.RowCount() - 1);
}

std::string formatHeader(const Header& h)
{
    std::string out = "time=" + std::to_string(h.time) + "\noperation=" + h.operation +
                      "\nredo=" + (h.redo ? "1" : "0") + "\nkeepredo=" + (h.keepRedo ? "1" : "0") +
                      "\nfilms=" + std::to_string(h.films) + "\nbase=" + std::to_string(h.base) + "\n";
    for (const auto& k : h.kept)
        out += "kept=" + k + "\n";
    for (const auto& a : h.added)
        out += "added=" + a + "\n";
    return out + "\n";
}

// Parses the header; `end` receives the offset of the bytes after it.
std::optional<Header> parseHeader(std::string_view text, std::size_t* end)
{
    Header h;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.empty()) {
            if (end)
                *end = pos;
            return h;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        const std::string key(line.substr(0, eq));
        const std::string value(line.substr(eq + 1));
        if (key == "time")
            h.time = std::atoll(value.c_str());
        else if (key == "operation")
            h.operation = value;
        else if (key == "redo")
            h.redo = value == "1";
        else if (key == "keepredo")
            h.keepRedo = value == "1";
        else if (key == "films")
            h.films = std::atoi(value.c_str());
        else if (key == "base")
            h.base = std::atoi(value.c_str());
        else if (key == "kept")
            h.kept.push_back(value);
        else if (key == "added")
            h.added.push_back(value);
    }
    if (end)
        *end = pos;
    return h;
}

std::optional<Header> readHeader(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text;
    char chunk[4096];
    // The header ends at its first empty line; the packed catalogue after it is not read.
    while (text.size() < kMaxFileSize && in.read(chunk, sizeof chunk).gcount() > 0) {
        const std::size_t from = text.empty() ? 0 : text.size() - 1;
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.front() == '\n' || text.find("\n\n", from) != std::string::npos)
            break;
    }
    return parseHeader(text);
}

// "v12.ver" -> 12; 0 when the name is not of that kind.
int numberOf(const std::string& name, const std::string& prefix, const std::string& suffix)
{
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit))
        return 0;
    return std::atoi(digits.c_str());
}

bool safeCoverName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

} // namespace cinevaro::catalogue::versionfiles
