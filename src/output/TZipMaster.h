// Writing and unpacking zip archives over libzip (TZipMaster), and reading an archive's entry
// list (TZipDir). Archives arrive from the network, so unpacking keeps only the last component of
// each name, skips links, empty or dot names and names holding control characters, never
// overwrites unless asked, and refuses an archive whose unpacked size is over 256 MiB, or whose
// central directory the zip library reads otherwise than it is stored, before writing anything.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"
#include "output/ZipEntryList.h"

namespace cinevaro::output {

enum AddOption : unsigned {
    AddDirNames = 1u << 0,    // keep the folders in the stored names
    AddRecurseDirs = 1u << 1, // wildcards also match inside sub-folders
    AddMove = 1u << 2,        // delete the files once the archive is written
    AddFreshen = 1u << 3,     // only replace entries the archive already holds, when the file is newer
    AddUpdate = 1u << 4,      // add new files, replace entries only when the file is newer
    AddZipTime = 1u << 5,     // give the archive the time of its newest entry
    AddForceDOS = 1u << 6,    // names in upper case
};

enum ExtrOption : unsigned {
    ExtrDirNames = 1u << 0,  // accepted; names are always reduced to their last component
    ExtrOverWrite = 1u << 1, // replace existing files
    ExtrFreshen = 1u << 2,   // only replace existing files that are older than the entry
    ExtrUpdate = 1u << 3,    // unpack new files and replace older ones
};

// ProgrType of OnProgress.
enum ProgressType : int {
    ProgressFileBegins = 0, // file name and size
    ProgressStep = 1,       // one step per 32768 bytes of the current file
    ProgressBatchEnds = 2,
};

class TZipMaster
{
public:
    static constexpr std::uint64_t kProgressStepBytes = 32768;
    static constexpr std::uint64_t kMaxExtractBytes = 256ull * 1024 * 1024;

    // The archive's path. Setting it reads the entry list when the file exists; a file that is
    // not a readable archive gives the numbered reading error (the list is then empty).
    catalogue::Outcome setZipFilename(const std::string& path);
    const std::string& ZipFilename() const { return m_zipFilename; }

    std::vector<std::string> FSpecArgs; // files, folders or wildcard patterns ("dir/*.*")
    int AddCompLevel = 9;
    unsigned AddOptions = 0;
    // With AddDirNames, files under this folder are stored with names relative to it.
    std::string AddRootDir;
    std::string ExtrBaseDir; // absolute folder to unpack into
    unsigned ExtrOptions = 0;
    bool Verbose = false;
    bool Trace = false;

    std::function<void(int progrType, const std::string& fileName, std::int64_t fileSize)> OnProgress;
    std::function<void(int errCode, const std::string& message)> OnMessage;
    std::function<void()> OnDirUpdate;

    // Packs FSpecArgs into ZipFilename at AddCompLevel (an existing archive is updated). The
    // archive is written under a temporary name in its folder and renamed at the end, so a failure
    // leaves the previous file, or none. FSpecArgs is emptied afterwards.
    catalogue::Outcome Add();
    // Unpacks every entry of ZipFilename into ExtrBaseDir.
    catalogue::Outcome Extract();
    // After Extract: the names (in ExtrBaseDir) of the files that run created, in archive order;
    // files it replaced or left as they were are not among them.
    const std::vector<std::string>& createdFiles() const { return m_created; }
    // After Extract: the stored names of the entries it left out as unsafe (links, control
    // characters, empty or dot names).
    const std::vector<std::string>& skippedEntries() const { return m_skipped; }

    const std::vector<ZipDirEntry>& entries() const { return m_entries; }
    int Count() const { return static_cast<int>(m_entries.size()); }

    // Asks the running Add or Extract to stop at the next step.
    void Cancel() { m_cancel = true; }
    bool addBusy() const { return m_addBusy; }
    bool extractBusy() const { return m_extractBusy; }

private:
    friend struct ZipSourceState;
    bool progressStep(); // false when cancelled
    void progress(int type, const std::string& name, std::int64_t size);
    catalogue::Outcome readList();

    std::string m_zipFilename;
    std::vector<ZipDirEntry> m_entries;
    std::vector<std::string> m_created;
    std::vector<std::string> m_skipped;
    bool m_addBusy = false;
    bool m_extractBusy = false;
    bool m_cancel = false;
};

// The length of a progress bar for a file of `fileSize` bytes: the ProgressStep events it raises
// (one per kProgressStepBytes), at least 1, at most 2^30 (a bar counts in int).
int progressBarSteps(std::int64_t fileSize);

// Entry list reader: setting the name clears the list and reads it when the file exists.
class TZipDir
{
public:
    catalogue::Outcome setZipFileName(const std::string& path);
    const std::string& ZipFileName() const { return m_zipFileName; }
    int Count() const { return m_zipFileName.empty() ? 0 : static_cast<int>(m_entries.size()); }
    const ZipDirEntry& entry(int index) const { return m_entries.at(static_cast<std::size_t>(index)); }
    const std::vector<ZipDirEntry>& ListEntries() const { return m_entries; }

private:
    std::string m_zipFileName;
    std::vector<ZipDirEntry> m_entries;
};

// Matches a file name against a pattern with * and ?; "*.*" matches every name, dotted or not.
bool wildcardMatch(const std::string& pattern, const std::string& name);
// The last component of an entry name, whichever separator it uses ("/" or "\").
std::string lastComponent(const std::string& name);

} // namespace cinevaro::output
