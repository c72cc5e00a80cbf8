// The catalogue's bytes as the open reads them: mapped, or read when mapping is not possible.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/MappedFile.h"
#include "table/SafeFile.h"

namespace {

using cinevaro::table::MappedFile;
using cinevaro::testing::TempDir;

TEST(MappedFileTest, GivesTheBytesOfRegularFilesOnly)
{
    TempDir dir;
    const auto file = dir.write("Films.cvo", std::string("MLB\0\x01", 5) + std::string(70000, 'x'));
    auto mapped = MappedFile::open(file);
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->bytes(), std::string("MLB\0\x01", 5) + std::string(70000, 'x'));

    const auto empty = dir.write("empty.cvo", "");
    auto none = MappedFile::open(empty);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->bytes().empty());

    EXPECT_FALSE(MappedFile::open((dir.path() / "missing.cvo").string()));
    EXPECT_FALSE(MappedFile::open(dir.path().string()));
    const auto fifo = (dir.path() / "fifo.cvo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(MappedFile::open(fifo)); // would block forever if read
}

// A save replaces the file by renaming a new one over it: bytes mapped before stay the old ones,
// and a holder moved elsewhere keeps them.
TEST(MappedFileTest, BytesSurviveASaveOverTheFileAndAMove)
{
    TempDir dir;
    const auto file = dir.write("Films.cvo", "old bytes");
    auto mapped = MappedFile::open(file);
    ASSERT_TRUE(mapped);
    ASSERT_TRUE(cinevaro::table::writeFileAtomically(file, "new bytes, longer"));
    MappedFile moved = std::move(*mapped);
    EXPECT_EQ(moved.bytes(), "old bytes");
    EXPECT_EQ(MappedFile::open(file)->bytes(), "new bytes, longer");
    // Moved onto a mapping already held: that one goes, the bytes moved stay.
    auto other = MappedFile::open(dir.write("other.cvo", "other bytes"));
    ASSERT_TRUE(other);
    *other = std::move(moved);
    EXPECT_EQ(other->bytes(), "old bytes");
    EXPECT_TRUE(moved.bytes().empty()); // NOLINT(bugprone-use-after-move): a moved-from mapping is empty
}

} // namespace

// The settings and version files are read whole with plain system calls: every byte, whatever the
// size the system announces; nothing for what cannot be read.
TEST(ReadWholeFileTest, GivesEveryByteOrNothing)
{
    using cinevaro::table::readWholeFile;
    TempDir dir;
    const std::string bytes = std::string("[GENERAL]\r\nA=1\0\xff", 16) + std::string(9000, 'y');
    EXPECT_EQ(readWholeFile(dir.write("Cinevaro.ini", bytes)), bytes);
    EXPECT_EQ(readWholeFile(dir.write("empty.ini", "")), std::string());
    EXPECT_FALSE(readWholeFile((dir.path() / "missing.ini").string()));
    EXPECT_FALSE(readWholeFile(dir.path().string()));
    // A file whose announced size is 0 but which holds more than one read's worth (as under
    // /proc) is read to its end.
    const auto maps = readWholeFile("/proc/self/smaps");
    ASSERT_TRUE(maps);
    EXPECT_GT(maps->size(), 8192u);
    EXPECT_EQ(maps->back(), '\n');
    EXPECT_EQ(maps->find('\0'), std::string::npos);
}

// A pipe announces no size, and each read gives as much as it holds: a pipe holding several times
// the first guess is read whole, in order, without writing past the buffer between growths.
TEST(ReadWholeFileTest, ReadsAPipeHoldingMoreThanTheFirstGuess)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_GE(::fcntl(ends[1], F_SETPIPE_SZ, 1 << 20), 1 << 20);
    std::string bytes(300000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>('a' + i % 23);
    ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(ends[1]);
    const auto read = cinevaro::table::readWholeFile("/proc/self/fd/" + std::to_string(ends[0]));
    ::close(ends[0]);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), bytes.size());
    EXPECT_TRUE(*read == bytes);
}
