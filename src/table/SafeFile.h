// Every file the program writes goes through here. The bytes go to a new file with a unique name
// beside the target (created with O_EXCL|O_NOFOLLOW, so neither an existing file nor a planted
// link is ever opened), every write is checked, the file is synced, renamed over the target (or
// linked, when an existing target must be kept), and the folder is synced so that the new name
// survives a power cut. Until the rename, the target is untouched; after a failure, nothing is
// left behind.
//
// Temporary names are ".<target name>.tmp<12 hex digits>". The writer holds an flock on its
// temporary file until it is renamed or removed; a successful commit removes the temporaries of
// earlier writes of the same target that no process holds (left by a killed or crashed save).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace cinevaro::table {

// Result of a write: success, or the failed step's errno and a French message (Windows-1252)
// naming the file.
struct FileWriteResult
{
    bool ok = true;
    int error = 0;
    std::string message;

    explicit operator bool() const { return ok; }
};

struct SafeWriteOptions
{
    // true: the new file replaces the target (rename). false: an existing target is kept and the
    // write fails (link, which refuses an existing name even one created meanwhile; on a file
    // system without hard links, a rename that refuses to replace).
    bool replace = true;
    // When replacing, the new file takes the old one's owner (where allowed) and permissions.
    bool keepOwnerAndMode = true;
    // Permissions of a new file, before the umask.
    mode_t mode = 0666;
    // false: neither the file nor its folder is synced; for a file whose loss in a power cut
    // costs nothing that matters and that a later synced write makes durable.
    bool sync = true;
};

class SafeFileWriter
{
public:
    explicit SafeFileWriter(std::string target, SafeWriteOptions options = {});
    ~SafeFileWriter(); // abandons an uncommitted file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file; the first failure is kept and returned by commit() too.
    FileWriteResult open();
    // Appends bytes at the current position (EINTR and short writes are handled). false once any
    // step failed; the failure is reported by commit().
    bool write(const void* data, std::size_t size);
    bool write(std::string_view bytes) { return write(bytes.data(), bytes.size()); }
    // Moves the position (for formats that go back to fill in a header).
    bool seek(std::uint64_t offset);
    std::uint64_t tell() const { return m_position; }
    // Bytes the file holds so far (its end).
    std::uint64_t size() const { return m_size; }
    // Closes, syncs and renames (or links) the file over the target, then syncs the folder.
    FileWriteResult commit();
    // Removes the temporary file; the target stays as it was.
    void abort();

    // The open temporary file (for fchmod, futimens...), -1 when none.
    int fd() const { return m_fd; }
    const std::string& target() const { return m_target; }
    const std::string& temporaryPath() const { return m_temp; }
    bool failed() const { return !m_result.ok; }
    // The first failure so far (success while none).
    const FileWriteResult& result() const { return m_result; }
    // Records a failure found by the caller (a producer that could not produce its bytes).
    void fail(int error, std::string message);

private:
    bool failStep(int error);
    bool writeOut(const char* data, std::size_t size);
    bool flushBuffer();

    std::string m_target;
    SafeWriteOptions m_options;
    std::string m_temp;
    int m_fd = -1;
    std::string m_buffer;
    std::uint64_t m_position = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_written = 0;
    bool m_committed = false;
    FileWriteResult m_result;
};

// Writes `bytes` as the whole content of `path` through a SafeFileWriter.
FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes,
                                    const SafeWriteOptions& options = {});

// Syncs the folder holding `path`, so that a name just created or renamed in it survives a power
// cut. false (errno set) when the folder cannot be synced.
bool syncFolderOf(const std::string& path);

// Removes the temporaries of earlier writes of `target` ("." + name + ".tmp" + 12 hex digits)
// that no process holds; anything else in the folder is left alone. Returns how many went.
int removeStaleTemporaries(const std::string& target);

// True when `fileName` (a name within the target's folder) has the form of a temporary of
// `targetName`.
bool isTemporaryNameOf(const std::string& fileName, const std::string& targetName);

} // namespace cinevaro::table
