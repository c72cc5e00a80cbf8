// A save killed at any moment leaves the catalogue as it was before or as it is after, never
// anything else; the temporary files of killed saves go with the next save.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"
#include "table/Platform.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"

namespace {

using cinevaro::table::TMlb2;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

TMlb2 filmTable(int films, int edition)
{
    TMlb2 t;
    const char* fields[] = {"TITRE",  "REAL",    "DATE",     "ORIGINE",  "GENRE",    "DUREE",   "ACTEUR",
                            "RESUME", "DISTRIB", "RESERVE0", "RESERVE1", "RESERVE2", "RESERVE3"};
    for (const char* f : fields)
        t.AddField(f);
    for (int i = 0; i < films; ++i) {
        t.AppendRow();
        const std::string n = std::to_string(i);
        t.SetValue("TITRE", "FILM " + n + " EDITION " + std::to_string(edition));
        t.SetValue("REAL", "Director " + n);
        t.SetValue("DATE", std::to_string(1950 + i % 70));
        t.SetValue("ORIGINE", "Origine");
        t.SetValue("GENRE", "Drame");
        t.SetValue("DUREE", "1H" + std::to_string(10 + i % 50));
        t.SetValue("ACTEUR", "Actor A;Actor B;Actor " + n);
        t.SetValue("RESUME", std::string(40 + i % 120, static_cast<char>('a' + (i + edition) % 26)));
        t.SetValue("DISTRIB", "DISTRIBUTOR");
        t.SetValue("RESERVE0", "DVD");
        t.SetValue("RESERVE1", "FILM " + n);
    }
    return t;
}

std::set<std::string> namesIn(const std::filesystem::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename() != "Cinevaro.ini")
            names.insert(entry.path().filename().string());
    return names;
}

TEST(CrashSafety, KilledSavesLeaveTheOldOrTheNewCatalogueAndNoTemporary)
{
    // What a killed process leaves does not depend on the disk: a memory-backed folder, when
    // there is one, keeps the test short (syncing is then free).
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string keptTmp = oldTmp ? oldTmp : "";
    if (::access("/dev/shm", W_OK) == 0)
        ::setenv("TMPDIR", "/dev/shm", 1);
    TempDir dir;
    if (oldTmp)
        ::setenv("TMPDIR", keptTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    const std::string path = dir.file("Films.cvo");
    TMlb2 tables[2] = {filmTable(2000, 1), filmTable(2000, 2)};
    const std::string bytes[2] = {tables[0].SaveToBuffer(), tables[1].SaveToBuffer()};
    ASSERT_TRUE(tables[0].SaveToFile(path));
    // Saves in a child process, killed after `micros` (never when negative); false when the
    // child could not be started.
    const auto saveInChild = [&](int which, long long micros) {
        const pid_t child = ::fork();
        if (child < 0)
            return false;
        if (child == 0) {
            tables[which].SaveToFile(path);
            ::_exit(0);
        }
        if (micros >= 0) {
            ::usleep(static_cast<useconds_t>(micros));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        return ::waitpid(child, &status, 0) == child;
    };
    // The kills are spread over a little more than a whole save in a child, fork included.
    long long saveMicros = 0;
    for (int which : {1, 0}) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(saveInChild(which, -1));
        saveMicros = std::max<long long>(
            saveMicros,
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count());
        ASSERT_EQ(readFile(path), bytes[which]);
    }
    std::uniform_int_distribution<long long> delay(0, saveMicros * 6 / 5);
    std::mt19937_64 random(20261209);

    int current = 0, keptOld = 0, tookNew = 0;
    std::size_t mostLeft = 0;
    for (int kill = 1; kill <= 200; ++kill) {
        const int next = 1 - current;
        ASSERT_TRUE(saveInChild(next, delay(random)));

        const std::string now = readFile(path);
        TMlb2 loaded;
        ASSERT_TRUE(loaded.LoadFromFile(path)) << "kill " << kill;
        if (now == bytes[next]) {
            current = next;
            ++tookNew;
        } else {
            ASSERT_EQ(now, bytes[current]) << "kill " << kill;
            ++keptOld;
        }
        mostLeft = std::max(mostLeft, namesIn(dir.path()).size() - 1);
        // Now and then, and at the end, a save that runs to its end removes every temporary
        // that the killed ones left.
        if (kill % 25 == 0) {
            ASSERT_TRUE(tables[current].SaveToFile(path));
            EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"Films.cvo"}) << "kill " << kill;
            EXPECT_EQ(readFile(path), bytes[current]);
        }
    }
    RecordProperty("kept_old", keptOld);
    RecordProperty("took_new", tookNew);
    RecordProperty("save_micros", static_cast<int>(saveMicros));
    // Kills did land midway through saves.
    EXPECT_GT(mostLeft, 0u);
}

} // namespace

namespace {

// The catalogue was synced and renamed, but its folder never synced: after a power cut the
// rename could be lost although the save was reported as done.
TEST(CrashSafety, SaveSyncsTheFolderAfterTheRename)
{
    TempDir dir;
    TMlb2 t = filmTable(3, 1);
    const int before = cinevaro::table::fileOperationCountForTesting(cinevaro::table::FileOp::SyncFolder);
    ASSERT_TRUE(t.SaveToFile(dir.file("Films.cvo")));
    EXPECT_EQ(cinevaro::table::fileOperationCountForTesting(cinevaro::table::FileOp::SyncFolder), before + 1);
}

} // namespace
