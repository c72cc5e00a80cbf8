// Unpacking an archive in steps: plan every entry before anything is written, decide per entry
// what happens to the file it would become, then copy it in through a temporary file. Internal
// to the output module (TZipMaster::Extract).
#pragma once

#include <zip.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"
#include "output/ZipSources.h"

namespace cinevaro::output {

// An entry to unpack, as planned before anything is written.
struct ExtractEntry
{
    zip_uint64_t index;
    std::string name; // last component of the stored name
    std::uint64_t size;
    time_t mtime;
};

// The archive opened for reading. A file that is not a readable archive gives the entry walk's
// numbered error, as the list does; otherwise the library's error.
catalogue::Result<ZipHandle> openForReading(const std::string& path);

// Every entry checked and the whole sized before anything is written: folders are passed over,
// unsafe entries (control characters, links, empty or dot names) go to `skipped`, and an archive
// read otherwise than stored or over TZipMaster::kMaxExtractBytes unpacked is refused.
catalogue::Outcome planExtract(zip_t* za, const std::string& path, std::vector<ExtractEntry>& plan,
                               std::vector<std::string>& skipped);

enum class TargetAction { Keep, Create, Replace };

// What unpacking an entry of time `mtime` does to `target`: links and folders are never touched,
// an existing file is replaced only as the ExtrOption flags ask, and ExtrFreshen alone creates
// nothing.
TargetAction decideTarget(const std::string& target, time_t mtime, unsigned options);

// Unpacks an entry into a new temporary file in `base`, then puts it at `target`: renamed over
// the file there (Replace), or linked exclusively (Create), which keeps a name that appeared
// meanwhile (`created` false). The temporary file never stays behind. `step` is called once per
// TZipMaster::kProgressStepBytes and cancels by returning false.
catalogue::Outcome unpackEntry(zip_t* za, const ExtractEntry& entry, const std::string& base, const std::string& target,
                               TargetAction action, std::string& buffer, const std::function<bool()>& step,
                               bool& created);

} // namespace cinevaro::output
