// The byte-string helpers shared by the core, and the file-descriptor owner and scope-exit helper.
#include "table/Text.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include <gtest/gtest.h>

#include "table/ScopeExit.h"
#include "table/UniqueFd.h"

using namespace cinevaro::table;

namespace {

bool isOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

int openNull()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

} // namespace

// Only ASCII letters change case: Windows-1252 and UTF-8 letters pass unchanged, so that a
// protocol word or a file extension compares the same whatever else the text holds.
TEST(TextTest, CaseChangesOnlyAsciiLetters)
{
    EXPECT_EQ(lowerAscii("Content-LENGTH: 12 @[`{"), "content-length: 12 @[`{");
    EXPECT_EQ(upperAscii("like Like LIKE @[`{"), "LIKE LIKE LIKE @[`{");
    EXPECT_EQ(lowerAscii("\xC9T\xC9 \xC3\x89"), "\xC9t\xC9 \xC3\x89");
    EXPECT_EQ(upperAscii("\xE9t\xE9 \xF7"), "\xE9T\xE9 \xF7");
}

TEST(TextTest, TrimRemovesOnlyTheBlanksAskedForAtBothEnds)
{
    EXPECT_EQ(trim(" \t a b \t "), "a b");
    EXPECT_EQ(trim(" \t "), "");
    EXPECT_EQ(trim(""), "");
    EXPECT_EQ(trim("\r a \r"), "\r a \r");
    EXPECT_EQ(trim("\r a \r", " \t\r"), "a");
}

TEST(TextTest, EndsWithNoCaseComparesTheEndOnly)
{
    EXPECT_TRUE(endsWithNoCase("Alien.FILM", ".film"));
    EXPECT_TRUE(endsWithNoCase("alien.film", ".FiLm"));
    EXPECT_TRUE(endsWithNoCase(".film", ".film"));
    EXPECT_FALSE(endsWithNoCase("film", ".film"));
    EXPECT_FALSE(endsWithNoCase("alien.films", ".film"));
    EXPECT_FALSE(endsWithNoCase("alien.f\xC9LM", ".f\xE9lm"));
}

// What is put in is never searched again: "a" -> "aa" ends, and an empty pattern changes nothing.
TEST(TextTest, ReplaceAllGoesLeftToRightOverTheOriginalText)
{
    EXPECT_EQ(replaceAll("x.zip.zip", ".zip", ""), "x");
    EXPECT_EQ(replaceAll("aXa", "a", "aa"), "aaXaa");
    EXPECT_EQ(replaceAll("&amp;amp;", "&amp;", "&"), "&amp;");
    EXPECT_EQ(replaceAll("abc", "", "-"), "abc");
}

// The descriptor is closed exactly once: when its owner goes, or when handed on (moved, reset),
// never after release.
TEST(UniqueFdTest, ClosesItsDescriptorOnceAndOnlyWhileOwned)
{
    int fd = openNull();
    ASSERT_GE(fd, 0);
    {
        UniqueFd owner(fd);
        UniqueFd moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(moved.get(), fd);
        EXPECT_TRUE(isOpen(fd));
    }
    EXPECT_FALSE(isOpen(fd));

    fd = openNull();
    int kept = -1;
    {
        UniqueFd owner(fd);
        kept = owner.release();
    }
    EXPECT_EQ(kept, fd);
    EXPECT_TRUE(isOpen(fd));

    UniqueFd owner(kept);
    const int other = openNull();
    owner.reset(other);
    EXPECT_FALSE(isOpen(kept));
    EXPECT_TRUE(isOpen(other));
    EXPECT_TRUE(owner.close());
    EXPECT_FALSE(isOpen(other));
    EXPECT_FALSE(owner);
    EXPECT_TRUE(owner.close()); // nothing held
}

TEST(UniqueFdTest, CloseReportsAFailedClose)
{
    UniqueFd owner(1000000); // not an open descriptor: close fails with EBADF
    errno = 0;
    EXPECT_FALSE(owner.close());
    EXPECT_EQ(errno, EBADF);
    EXPECT_FALSE(owner);
}

TEST(ScopeExitTest, RunsOnEveryWayOutUnlessDismissed)
{
    int runs = 0;
    {
        ScopeExit count([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    try {
        ScopeExit count([&] { ++runs; });
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(runs, 2);
    {
        ScopeExit count([&] { ++runs; });
        count.dismiss();
    }
    EXPECT_EQ(runs, 2);
}
