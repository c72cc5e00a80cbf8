// The zip library's view of the files TZipMaster writes: the archive itself (read from the
// existing file, written through the safe-file helper) and each file added to it. Internal to
// the output module.
#pragma once

#include <sys/types.h>
#include <zip.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

#include "output/ZipLibrary.h"
#include "table/SafeFile.h"
#include "table/UniqueFd.h"

namespace cinevaro::output {

class TZipMaster;

// A file to add: where it is read, the name it is stored under, its size and time.
struct PlannedFile
{
    std::string path;
    std::string name;
    std::uint64_t size = 0;
    time_t mtime = 0;
};

// An open archive; discarded (nothing written) when dropped, unless handed to zip_close first.
struct ZipDiscard
{
    void operator()(zip_t* za) const { zl().discard(za); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

// French text (Windows-1252) of a zip library error code.
std::string zipErrorText(int code);
// Removes a file, ignoring a failure.
void removeQuietly(const std::string& path);

// The archive file as the zip library sees it: read from the existing file, written through the
// safe-file helper (a new file beside it, synced, renamed over it, then the folder synced), so a
// failed or killed write leaves the previous archive whole.
struct ArchiveFile
{
    std::string path;
    table::UniqueFd readFd;
    std::uint64_t readPos = 0;
    std::uint64_t readSize = 0;
    std::unique_ptr<table::SafeFileWriter> writer;
    zip_error_t error{};

    explicit ArchiveFile(std::string p) : path(std::move(p)) { zl().error_init(&error); }
    ~ArchiveFile() { zl().error_fini(&error); }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    void closeRead() { readFd.reset(); }
    zip_int64_t fail(int zipCode, int systemCode)
    {
        zl().error_set(&error, zipCode, systemCode);
        return -1;
    }
    zip_int64_t writeFailed(int zipCode) { return fail(zipCode, writer ? writer->result().error : 0); }

    // The zip library's source callback; `userdata` is the ArchiveFile.
    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd);

    // The commands, each returning what the library expects (-1 after setting `error`).
    zip_int64_t writeCommand(zip_source_cmd_t cmd, void* data, zip_uint64_t len);
    zip_int64_t statArchive(void* data, zip_uint64_t len);
    zip_int64_t openRead();
    zip_int64_t readArchive(void* data, zip_uint64_t len);
    zip_int64_t seekRead(void* data, zip_uint64_t len);
    // Writing goes to a new file beside the archive, renamed over it by the commit.
    zip_int64_t beginWrite();
    zip_int64_t seekWrite(void* data, zip_uint64_t len);
    zip_int64_t commitWrite();
    zip_int64_t removeArchive();
};

// One file read by the zip library while it writes the archive; raises the progress events.
struct ZipSourceState
{
    TZipMaster* owner = nullptr;
    PlannedFile file;
    table::UniqueFd fd;
    std::uint64_t read = 0;
    zip_error_t error{};

    // The zip library's source callback; `userdata` is the ZipSourceState, freed by ZIP_SOURCE_FREE.
    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd);
};

} // namespace cinevaro::output
