#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "table/Platform.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"

namespace {

using cinevaro::table::FileOp;
using cinevaro::table::isTemporaryNameOf;
using cinevaro::table::SafeFileWriter;
using cinevaro::table::SafeWriteOptions;
using cinevaro::table::TMlb2;
using cinevaro::table::writeFileAtomically;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

std::set<std::string> namesIn(const std::filesystem::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != "Cinevaro.ini")
            names.insert(entry.path().filename().string());
    return names;
}

// Descriptors this process has open.
int openDescriptors()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

struct FaultsOff
{
    ~FaultsOff() { cinevaro::table::clearFileFaultsForTesting(); }
};

TEST(SafeFile, WritesReplacesAndKeepsPermissions)
{
    TempDir dir;
    const std::string path = dir.file("notes.txt");
    ASSERT_TRUE(writeFileAtomically(path, "first"));
    EXPECT_EQ(readFile(path), "first");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(path, std::string(200000, 'x')));
    EXPECT_EQ(readFile(path), std::string(200000, 'x'));
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"notes.txt"});
}

TEST(SafeFile, StreamingWriterSeeksBackAndAborts)
{
    TempDir dir;
    const std::string path = dir.file("stream.bin");
    {
        SafeFileWriter w(path);
        ASSERT_TRUE(w.open());
        EXPECT_TRUE(isTemporaryNameOf(std::filesystem::path(w.temporaryPath()).filename().string(), "stream.bin"));
        w.write("....tail");
        EXPECT_EQ(w.tell(), 8u);
        ASSERT_TRUE(w.seek(0));
        w.write("head");
        EXPECT_EQ(w.size(), 8u);
        ASSERT_TRUE(w.commit());
    }
    EXPECT_EQ(readFile(path), "headtail");
    {
        SafeFileWriter w(path);
        w.write("never");
        w.abort();
        EXPECT_FALSE(w.commit());
    }
    {
        SafeFileWriter w(path); // destroyed without commit
        w.write("never either");
    }
    EXPECT_EQ(readFile(path), "headtail");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"stream.bin"});
}

// A seek first writes out what is buffered; when that fails, or the writer failed before, the
// seek says so at once rather than letting the caller go on writing.
TEST(SafeFile, AWriterThatFailedRefusesToSeek)
{
    FaultsOff off;
    TempDir dir;
    const std::string path = dir.write("stream.bin", "old");
    SafeFileWriter w(path);
    ASSERT_TRUE(w.open());
    w.write("buffered");
    cinevaro::table::setFileFaultForTesting(FileOp::Write, 1, ENOSPC);
    EXPECT_FALSE(w.seek(0));
    cinevaro::table::clearFileFaultsForTesting();
    EXPECT_FALSE(w.seek(0));
    EXPECT_FALSE(w.commit());
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"stream.bin"});
}

TEST(SafeFile, KeepModeRefusesAnExistingTarget)
{
    TempDir dir;
    const std::string path = dir.write("cover.jpg", "old");
    SafeWriteOptions keep;
    keep.replace = false;
    const auto result = writeFileAtomically(path, "new", keep);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_NE(result.message.find(cinevaro::table::cp("existe déjà")), std::string::npos);
    EXPECT_EQ(readFile(path), "old");
    ASSERT_TRUE(writeFileAtomically(dir.file("other.jpg"), "new", keep));
    EXPECT_EQ(readFile(dir.file("other.jpg")), "new");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"cover.jpg", "other.jpg"}));
}

// FAT, exFAT and many network mounts have no hard links: the file is then renamed into place,
// still without ever replacing an existing one.
TEST(SafeFile, KeepModeWorksWithoutHardLinks)
{
    FaultsOff off;
    TempDir dir;
    const std::string old = dir.write("cover.jpg", "old");
    SafeWriteOptions keep;
    keep.replace = false;
    cinevaro::table::setFileFaultForTesting(FileOp::Link, 1, EPERM);
    ASSERT_TRUE(writeFileAtomically(dir.file("new.jpg"), "new", keep));
    cinevaro::table::setFileFaultForTesting(FileOp::Link, 1, EPERM);
    const auto refused = writeFileAtomically(old, "replaced?", keep);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, EEXIST);
    cinevaro::table::setFileFaultForTesting(FileOp::Link, 1, EIO);
    EXPECT_FALSE(writeFileAtomically(dir.file("other.jpg"), "never", keep));
    EXPECT_EQ(readFile(dir.file("new.jpg")), "new");
    EXPECT_EQ(readFile(old), "old");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"cover.jpg", "new.jpg"}));
}

// A write() may put fewer bytes than asked (a signal, a pipe, a nearly full disk): the file layer
// goes on from where it stopped, whether it writes a file or copies one into place on a file
// system without hard links.
TEST(SafeFile, ShortWritesAreCarriedOnFromWhereTheyStopped)
{
    FaultsOff off;
    TempDir dir;
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    cinevaro::table::setShortWritesForTesting(4093);
    ASSERT_TRUE(writeFileAtomically(dir.file("written.bin"), bytes));
    EXPECT_EQ(readFile(dir.file("written.bin")), bytes);
    SafeWriteOptions keep;
    keep.replace = false;
    cinevaro::table::setFileFaultForTesting(FileOp::Link, 1, EPERM);
    ASSERT_TRUE(writeFileAtomically(dir.file("copied.bin"), bytes, keep));
    EXPECT_EQ(readFile(dir.file("copied.bin")), bytes);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"written.bin", "copied.bin"}));
}

TEST(SafeFile, TemporaryNamesAreRecognisedExactly)
{
    EXPECT_TRUE(isTemporaryNameOf(".Films.cvo.tmp0123456789ab", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf(".Films.cvo.tmp0123456789a", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf(".Films.cvo.tmp0123456789abc", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf(".Films.cvo.tmp0123456789aB", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf("Films.cvo.tmp0123456789ab", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf(".Films.cvo.tmp0123456789ab", "Films"));
    EXPECT_FALSE(isTemporaryNameOf(".Films.cvo.tmp~", "Films.cvo"));
    EXPECT_FALSE(isTemporaryNameOf("..tmp0123456789ab", ""));
}

// A save removes what earlier killed saves of the same file left, never a temporary that a
// running write holds, nor any other file.
TEST(SafeFile, CommitRemovesStaleTemporariesOnly)
{
    TempDir dir;
    const std::string path = dir.write("Films.cvo", "old");
    dir.write(".Films.cvo.tmp00000000000a", "left by a killed save");
    dir.write(".Films.cvo.tmp00000000000b", "left by another");
    dir.write(".Other.cvo.tmp00000000000c", "another catalogue's");
    dir.write(".Films.cvo.tmp~", "not ours");
    dir.write("Films.cvo.tmp00000000000d", "not ours either");
    const std::string held = dir.write(".Films.cvo.tmp00000000000e", "being written");
    const int heldFd = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(heldFd, 0);
    ASSERT_EQ(::flock(heldFd, LOCK_EX), 0);
    // A link named like a temporary is not followed; only the link itself may go.
    const std::string victim = dir.write("victim.txt", "precious");
    std::filesystem::create_symlink(victim, dir.path() / ".Films.cvo.tmp00000000000f");

    ASSERT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Films.cvo", ".Other.cvo.tmp00000000000c", ".Films.cvo.tmp~",
                                                          "Films.cvo.tmp00000000000d", ".Films.cvo.tmp00000000000e",
                                                          ".Films.cvo.tmp00000000000f", "victim.txt"}));
    ::close(heldFd);
    // Once no one holds it, the next save removes it.
    TMlb2 t;
    t.AddField("TITRE");
    ASSERT_TRUE(t.SaveToFile(path));
    EXPECT_FALSE(std::filesystem::exists(held));
}

TEST(SafeFile, RemovingStaleTemporariesSaysHowManyWent)
{
    TempDir dir;
    const std::string path = dir.write("Films.cvo", "old");
    dir.write(".Films.cvo.tmp00000000000a", "left by a killed save");
    dir.write(".Films.cvo.tmp00000000000b", "left by another");
    dir.write(".Other.cvo.tmp00000000000c", "another catalogue's");
    EXPECT_EQ(cinevaro::table::removeStaleTemporaries(path), 2);
    EXPECT_EQ(cinevaro::table::removeStaleTemporaries(path), 0);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Films.cvo", ".Other.cvo.tmp00000000000c"}));
}

// Every save tidies its folder of stale temporaries; neither that walk nor the save keeps a
// descriptor open, or a long session of saves would run out of them.
TEST(SafeFile, SavesLeaveNoDescriptorOpen)
{
    TempDir dir;
    const std::string path = dir.write("Films.cvo", "old");
    dir.write(".Films.cvo.tmp00000000000a", "left by a killed save");
    const int before = openDescriptors();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(writeFileAtomically(path, "version " + std::to_string(i)));
    EXPECT_EQ(openDescriptors(), before);
}

// A program started with its standard input closed gets descriptor 0 for its first file: an
// abandoned write on it still removes its temporary and closes it. `staleErrno` is left in errno
// before the open, as an earlier failed call would leave it.
void expectAnAbandonedWriteOnDescriptorZeroCleansUp(int staleErrno)
{
    TempDir dir;
    const std::string path = dir.write("Films.cvo", "old");
    const int savedInput = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    ::close(0);
    bool openedOnZero = false;
    {
        SafeFileWriter writer(path);
        errno = staleErrno;
        const bool opened = writer.open().ok;
        openedOnZero = opened && ::fcntl(0, F_GETFD) != -1;
        writer.write("new");
    }
    const bool zeroClosed = ::fcntl(0, F_GETFD) == -1;
    if (savedInput >= 0) {
        ::dup2(savedInput, 0);
        ::close(savedInput);
    }
    EXPECT_TRUE(openedOnZero);
    EXPECT_TRUE(zeroClosed);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"Films.cvo"}));
    EXPECT_EQ(readFile(path), "old");
}

TEST(SafeFile, AnAbandonedWriteOnDescriptorZeroCleansUp)
{
    expectAnAbandonedWriteOnDescriptorZeroCleansUp(0);
}

// Descriptor 0 is a good descriptor even when errno still says "exists" from an earlier call.
TEST(SafeFile, DescriptorZeroIsTakenWhateverErrnoHeldBefore)
{
    expectAnAbandonedWriteOnDescriptorZeroCleansUp(EEXIST);
}

// The catalogue save used to create its temporary with a plain O_EXCL open; the other writers
// used `target + ".tmp~"`. A link planted at any predictable name is never followed.
TEST(SafeFile, PlantedLinksAtOldTemporaryNamesAreNotFollowed)
{
    TempDir dir;
    const std::string victim = dir.write("victim.txt", "precious");
    const std::string path = dir.file("export.film");
    for (const std::string& planted :
         {path + ".tmp~", path + ".tmp" + std::to_string(::getpid()), dir.file(".export.film.tmp~")})
        std::filesystem::create_symlink(victim, planted);
    ASSERT_TRUE(writeFileAtomically(path, "record"));
    EXPECT_EQ(readFile(path), "record");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(path));
}

// Each step of a write fails in turn: the old file stays byte for byte, the message is French,
// and nothing is left beside it.
TEST(SafeFile, EachFailingStepKeepsTheOldFile)
{
    FaultsOff off;
    TempDir dir;
    const std::string path = dir.write("data.bin", "old bytes");
    const std::string big(300000, 'n');
    for (FileOp op : {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Fsync, FileOp::Rename}) {
        for (int nth = 1;; ++nth) {
            cinevaro::table::setFileFaultForTesting(op, nth, op == FileOp::Write ? ENOSPC : EIO);
            SafeFileWriter w(path);
            w.open();
            w.write("small ");
            w.write(big);
            w.write(" end");
            const auto result = w.commit();
            const int ran = cinevaro::table::fileOperationCountForTesting(op);
            cinevaro::table::clearFileFaultsForTesting();
            if (ran < nth) {
                EXPECT_TRUE(result) << static_cast<int>(op) << " " << nth;
                ASSERT_TRUE(writeFileAtomically(path, "old bytes"));
                break;
            }
            EXPECT_FALSE(result) << static_cast<int>(op) << " " << nth;
            EXPECT_NE(result.message.find(cinevaro::table::cp("aucun fichier n'a été modifié")), std::string::npos);
            EXPECT_EQ(readFile(path), "old bytes");
            EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.bin"});
        }
    }
    // A folder that cannot be synced does not undo a rename already done.
    cinevaro::table::setFileFaultForTesting(FileOp::SyncFolder, 1, EIO);
    EXPECT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(readFile(path), "new");
}

// A failed write says why in words, the system's number only for a reason without words.
TEST(SafeFile, AFailedWriteSaysWhyInWords)
{
    FaultsOff off;
    TempDir dir;
    const std::string path = dir.write("data.bin", "old");
    const std::pair<int, const char*> reasons[] = {
        {ENOSPC, "disque plein"},
        {EDQUOT, "disque plein"},
        {EACCES, "accès refusé"},
        {EPERM, "accès refusé"},
        {EROFS, "support protégé en écriture"},
        {ENOENT, "dossier introuvable"},
        {ENOTDIR, "dossier introuvable"},
        {ENAMETOOLONG, "nom trop long"},
        {EIO, "erreur d'écriture n°5"},
    };
    for (const auto& [error, words] : reasons) {
        cinevaro::table::setFileFaultForTesting(FileOp::Open, 1, error);
        const auto result = writeFileAtomically(path, "new");
        EXPECT_FALSE(result);
        EXPECT_NE(result.message.find(cinevaro::table::cp(words)), std::string::npos)
            << words << ": " << result.message;
        EXPECT_EQ(readFile(path), "old");
    }
}

// The folder sync says whether it was done, with the reason when not.
TEST(SafeFile, FolderSyncSaysWhetherItWasDone)
{
    FaultsOff off;
    TempDir dir;
    const std::string path = dir.write("data.bin", "bytes");
    EXPECT_TRUE(cinevaro::table::syncFolderOf(path));
    errno = 0;
    EXPECT_FALSE(cinevaro::table::syncFolderOf((dir.path() / "missing" / "data.bin").string()));
    EXPECT_EQ(errno, ENOENT);
    cinevaro::table::setFileFaultForTesting(FileOp::SyncFolder, 1, EIO);
    errno = 0;
    EXPECT_FALSE(cinevaro::table::syncFolderOf(path));
    EXPECT_EQ(errno, EIO);
}

TEST(SafeFile, TakenTemporaryNamesAreSkippedAHundredTimesAtMost)
{
    FaultsOff off;
    TempDir dir;
    const std::string path = dir.write("data.bin", "old bytes");
    // Ninety-nine names in a row already taken: the hundredth is used.
    cinevaro::table::setFileFaultForTesting(FileOp::Open, 1, EEXIST, 99);
    EXPECT_TRUE(writeFileAtomically(path, "new"));
    EXPECT_EQ(cinevaro::table::fileOperationCountForTesting(FileOp::Open), 100);
    EXPECT_EQ(readFile(path), "new");
    // A hundred taken: the write gives up, says so, and leaves the file as it was.
    cinevaro::table::setFileFaultForTesting(FileOp::Open, 1, EEXIST, 100);
    const auto result = writeFileAtomically(path, "newer");
    EXPECT_FALSE(result);
    EXPECT_EQ(cinevaro::table::fileOperationCountForTesting(FileOp::Open), 100);
    EXPECT_NE(result.message.find(cinevaro::table::cp("aucun fichier n'a été modifié")), std::string::npos);
    EXPECT_EQ(readFile(path), "new");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"data.bin"});
}

} // namespace
