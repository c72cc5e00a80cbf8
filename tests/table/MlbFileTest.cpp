// The MLB table file: exact bytes, round trips, refused and damaged files, failed saves.
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Platform.h"
#include "table/TMlb2.h"

using cinevaro::table::TMlb2;
using cinevaro::testing::readFile;
using cinevaro::testing::TempDir;

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

// The table of the worked example and its 92 bytes.
TMlb2 alienBrazil()
{
    TMlb2 t;
    t.AddField("TITRE");
    t.AddField("DATE");
    t.AppendRow();
    t.SetValue("TITRE", "Alien");
    t.SetValue("DATE", "1979");
    t.AppendRow();
    t.SetValue("TITRE", "Brazil");
    t.SetValue("DATE", "1985");
    return t;
}

const std::string kAlienBrazil =
    bytes({0x4D, 0x4C, 0x42, 0x02, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4C, 0x00, 0x00, 0x00, // header
           0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                                             // name
           0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,                                                 // F, R
           0x00, 0x05, 0x00, 0x00, 0x00, 0x54, 0x49, 0x54, 0x52, 0x45,                                     // TITRE
           0x00, 0x04, 0x00, 0x00, 0x00, 0x44, 0x41, 0x54, 0x45,                                           // DATE
           0x11, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x41, 0x6C, 0x69, 0x65, 0x6E,                   // Alien
           0x04, 0x00, 0x00, 0x00, 0x31, 0x39, 0x37, 0x39,                                                 // 1979
           0x12, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x42, 0x72, 0x61, 0x7A, 0x69, 0x6C,             // Brazil
           0x04, 0x00, 0x00, 0x00, 0x31, 0x39, 0x38, 0x35});                                               // 1985

// Field names, types, name and every cell of a table, for comparisons.
std::string dump(const TMlb2& t)
{
    std::string out = "[" + t.TableName() + "]";
    for (int i = 1; i <= t.FieldCount(); ++i)
        out += t.GetFieldName(i) + ":" + t.GetFieldType(i) + ";";
    for (int n = 1; n <= t.RowCount(); ++n) {
        out += "\n";
        for (int i = 1; i <= t.FieldCount(); ++i)
            out += t.GetCell(i, n) + "|";
    }
    return out;
}

class MlbFile : public ::testing::Test
{
protected:
    TempDir dir;
};

} // namespace

TEST_F(MlbFile, WorkedExampleBytes)
{
    TMlb2 t = alienBrazil();
    const std::string path = dir.file("films.cvo");
    ASSERT_TRUE(t.SaveToFile(path));
    EXPECT_EQ(t.LastErrorCode(), 0);
    const std::string written = readFile(path);
    if (written != kAlienBrazil)
        dir.write("films.actual.cvo", written);
    EXPECT_EQ(written.size(), 92u);
    EXPECT_EQ(written, kAlienBrazil);

    TMlb2 back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(dump(back), dump(t));
    EXPECT_EQ(back.CurrentIndex(), 2);
    EXPECT_FALSE(back.Eof());
}

TEST_F(MlbFile, SerialisesToTellsTheExactBytesApart)
{
    const TMlb2 t = alienBrazil();
    EXPECT_TRUE(t.SerialisesTo(kAlienBrazil));
    // Any byte changed, one missing or one more: not the same file.
    for (std::size_t i = 0; i < kAlienBrazil.size(); ++i) {
        std::string changed = kAlienBrazil;
        changed[i] = static_cast<char>(changed[i] ^ 0x20);
        EXPECT_FALSE(t.SerialisesTo(changed)) << i;
        EXPECT_FALSE(t.SerialisesTo(std::string_view(kAlienBrazil).substr(0, i))) << i;
    }
    EXPECT_FALSE(t.SerialisesTo(kAlienBrazil + '\0'));
    EXPECT_TRUE(TMlb2().SerialisesTo(TMlb2().SaveToBuffer()));
    EXPECT_FALSE(TMlb2().SerialisesTo(kAlienBrazil));
    // A value over 16 MiB uses the top byte of its length.
    TMlb2 large = alienBrazil();
    large.SetCell(1, 1, std::string((std::size_t{1} << 24) + 1, 'x'));
    EXPECT_TRUE(large.SerialisesTo(large.SaveToBuffer()));
}

TEST_F(MlbFile, EmptyTableIs30Bytes)
{
    TMlb2 t;
    const std::string expected =
        bytes({0x4D, 0x4C, 0x42, 2, 0, 1, 1, 0, 0, 0, 0, 0, 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(t.SaveToBuffer(), expected);
    const std::string path = dir.file("empty.cvo");
    ASSERT_TRUE(t.SaveToFile(path));
    EXPECT_EQ(readFile(path), expected);
    TMlb2 back = alienBrazil();
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.FieldCount(), 0);
    EXPECT_EQ(back.RowCount(), 0);
    EXPECT_TRUE(back.Bof());
    EXPECT_TRUE(back.Eof());
}

TEST_F(MlbFile, FieldsWithoutRowsAndTypes)
{
    TMlb2 t;
    t.SetTableName("Films");
    t.AddField("TITRE");
    t.AddField("NOTE");
    t.AddField("AUTRE");
    t.SetFieldType(2, "FLOAT");
    t.SetFieldType(3, "DATE");
    const std::string data = t.SaveToBuffer();
    EXPECT_EQ(data[30 + 5], 0); // type byte of TITRE
    TMlb2 back = alienBrazil();
    back.MoveTo(1);
    ASSERT_TRUE(back.LoadFromBuffer(data));
    EXPECT_EQ(back.TableName(), "Films");
    EXPECT_EQ(back.GetFieldType(1), "STRING");
    EXPECT_EQ(back.GetFieldType(2), "FLOAT");
    EXPECT_EQ(back.GetFieldType(3), "STRING");
    EXPECT_EQ(back.RowCount(), 0);
    EXPECT_EQ(back.CurrentIndex(), 0);
    EXPECT_TRUE(back.Bof());
    EXPECT_TRUE(back.Eof());
}

TEST_F(MlbFile, OddValuesRoundTrip)
{
    TMlb2 t;
    t.AddField("V");
    const std::vector<std::string> values = {std::string(300, 'x'), "ligne 1\r\nligne 2\r\n", "a;b;\"c\"", "",
                                             "\xE9t\xE9 \x80 \xFF"};
    for (const auto& v : values) {
        t.AppendRow();
        t.SetValue("V", v);
    }
    const std::string path = dir.file("odd.cvo");
    ASSERT_TRUE(t.SaveToFile(path));
    TMlb2 back;
    ASSERT_TRUE(back.LoadFromFile(path));
    ASSERT_EQ(back.RowCount(), static_cast<int>(values.size()));
    for (std::size_t n = 0; n < values.size(); ++n)
        EXPECT_EQ(back.GetCell(1, static_cast<int>(n + 1)), values[n]);
}

TEST_F(MlbFile, ZeroByteCutsTheValue)
{
    TMlb2 t;
    t.AddField("V");
    t.AppendRow();
    t.SetValue("V", std::string("ab\0cd", 5));
    t.AppendRow();
    t.SetValue("V", "next");
    TMlb2 back;
    ASSERT_TRUE(back.LoadFromBuffer(t.SaveToBuffer()));
    EXPECT_EQ(back.GetCell(1, 1), "ab");
    EXPECT_EQ(back.GetCell(1, 2), "next");
}

TEST_F(MlbFile, RefusedFilesLeaveTableUnchanged)
{
    struct Case
    {
        std::string data;
        int code;
        std::string message;
    };
    std::string mla = kAlienBrazil;
    mla[2] = 'A';
    std::string noTables = kAlienBrazil;
    noTables[6] = 0;
    std::string notTable = kAlienBrazil;
    notTable[10] = 1;
    std::string blankField = kAlienBrazil;
    blankField.replace(45, 4, "    ");
    const std::vector<Case> cases = {
        {mla, 2, "1-File's Signature must be MLB"},
        {"ML", 2, "1-File's Signature must be MLB"},
        {"", 2, "1-File's Signature must be MLB"},
        {noTables, 2, "2-number of tables must be at least 1"},
        {notTable, 2, "3-First Block must be a TABLE"},
        {blankField, 2, "6-Field names must be unique and not blank"},
        {kAlienBrazil.substr(0, 60), 2, "5-Unexpected end of file"},
    };
    for (const Case& c : cases) {
        TMlb2 t;
        t.SetTableName("before");
        t.AddField("X");
        t.AppendRow();
        t.SetValue("X", "kept");
        const std::string before = dump(t);
        EXPECT_FALSE(t.LoadFromBuffer(c.data));
        EXPECT_EQ(t.LastErrorCode(), c.code) << c.message;
        EXPECT_EQ(t.LastErrorMessage(), c.message);
        EXPECT_EQ(dump(t), before);
        EXPECT_EQ(t.GetValue("X"), "kept");
        // The next success clears the error.
        EXPECT_TRUE(t.LoadFromBuffer(kAlienBrazil));
        EXPECT_EQ(t.LastErrorCode(), 0);
        EXPECT_EQ(t.LastErrorMessage(), "");
    }
    // Two fields named TITRE: refused, so values cannot shift to the wrong column.
    TMlb2 u;
    u.AddField("A");
    u.AddField("A2");
    std::string data = u.SaveToBuffer();
    data.replace(data.size() - 2, 2, std::string("A") + '\0'); // "A2" -> "A" + zero: both read "A"
    EXPECT_FALSE(u.LoadFromBuffer(data));
    EXPECT_EQ(u.LastErrorMessage(), "6-Field names must be unique and not blank");
    EXPECT_EQ(u.FieldCount(), 2);
}

TEST_F(MlbFile, MissingFileAndFolder)
{
    TMlb2 t = alienBrazil();
    EXPECT_FALSE(t.LoadFromFile(dir.file("absent.cvo")));
    EXPECT_EQ(t.LastErrorCode(), 3);
    EXPECT_EQ(t.LastErrorMessage(), "4-Unable to open file for reading");
    EXPECT_FALSE(t.LoadFromFile(dir.path().string()));
    EXPECT_EQ(t.LastErrorCode(), 3);
    EXPECT_EQ(t.RowCount(), 2);
}

// A named pipe nobody writes to is refused at once instead of waiting for a writer forever.
TEST_F(MlbFile, NamedPipeWithoutWriterIsRefusedWithoutWaiting)
{
    TMlb2 t = alienBrazil();
    const std::string fifo = dir.file("pipe.cvo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(t.LoadFromFile(fifo));
    EXPECT_EQ(t.LastErrorCode(), 2);
    EXPECT_EQ(t.RowCount(), 2);
}

TEST_F(MlbFile, BigEndianCounts)
{
    // Byte 5 is not 1: counts are big-endian, string lengths little-endian.
    std::string data = bytes({0x4D, 0x4C, 0x42, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    data += bytes({3, 0, 0, 0}) + "Tab";
    data += bytes({0, 0, 0, 2, 0, 0, 0, 1});
    data += bytes({0, 5, 0, 0, 0}) + "TITRE";
    data += bytes({1, 4, 0, 0, 0}) + "NOTE";
    data += bytes({0, 0, 0, 14});
    data += bytes({5, 0, 0, 0}) + "Alien" + bytes({1, 0, 0, 0}) + "9";
    TMlb2 t;
    ASSERT_TRUE(t.LoadFromBuffer(data)) << t.LastErrorMessage();
    EXPECT_EQ(t.TableName(), "Tab");
    EXPECT_EQ(t.FieldCount(), 2);
    EXPECT_EQ(t.GetFieldType(2), "FLOAT");
    EXPECT_EQ(t.GetCell(1, 1), "Alien");
    EXPECT_EQ(t.GetCell(2, 1), "9");
    // Saved back, it is an ordinary little-endian file.
    TMlb2 back;
    ASSERT_TRUE(back.LoadFromBuffer(t.SaveToBuffer()));
    EXPECT_EQ(dump(back), dump(t));
    EXPECT_EQ(t.SaveToBuffer()[5], 1);
}

TEST_F(MlbFile, LengthFieldsAreNotChecked)
{
    std::string data = kAlienBrazil;
    data[12] = 0x7F; // block length
    data[49] = 0;    // row 1 length
    data[70] = 0x55; // row 2 length
    data += "trailing bytes";
    TMlb2 t;
    ASSERT_TRUE(t.LoadFromBuffer(data));
    EXPECT_EQ(dump(t), dump(alienBrazil()));
}

TEST_F(MlbFile, HugeCountsFailWithoutAllocating)
{
    std::string data = kAlienBrazil.substr(0, 22) + bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF});
    TMlb2 t;
    EXPECT_FALSE(t.LoadFromBuffer(data));
    EXPECT_EQ(t.LastErrorCode(), 2);
    std::string rows = kAlienBrazil;
    rows[26] = static_cast<char>(0xFF);
    rows[27] = static_cast<char>(0xFF);
    rows[28] = static_cast<char>(0xFF);
    EXPECT_FALSE(t.LoadFromBuffer(rows));
    std::string longName = kAlienBrazil;
    longName[18] = static_cast<char>(0xF0);
    longName[21] = static_cast<char>(0x7F);
    EXPECT_FALSE(t.LoadFromBuffer(longName));
    std::string noFields = kAlienBrazil.substr(0, 22) + bytes({0, 0, 0, 0, 0, 0, 0, 0x40});
    EXPECT_FALSE(t.LoadFromBuffer(noFields));
    EXPECT_EQ(t.LastErrorMessage(), "5-Unexpected end of file");
}

TEST_F(MlbFile, EveryTruncationFailsCleanly)
{
    TMlb2 source = alienBrazil();
    source.SetTableName("N");
    source.AddField("RESUME");
    source.MoveFirst();
    source.SetValue("RESUME", "Un cargo spatial\r\nre\xE7oit un signal.");
    const std::string full = source.SaveToBuffer();
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        TMlb2 t = alienBrazil();
        const std::string before = dump(t);
        EXPECT_FALSE(t.LoadFromBuffer(full.substr(0, cut))) << cut;
        EXPECT_EQ(t.LastErrorCode(), 2) << cut;
        EXPECT_EQ(dump(t), before) << cut;
    }
    TMlb2 t;
    EXPECT_TRUE(t.LoadFromBuffer(full));
    EXPECT_EQ(dump(t), dump(source));
}

TEST_F(MlbFile, RandomDamageNeverCrashes)
{
    const std::string full = alienBrazil().SaveToBuffer();
    std::mt19937 random(99);
    for (int round = 0; round < 5000; ++round) {
        std::string data = full;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int f = 0; f < flips; ++f)
            data[random() % data.size()] = static_cast<char>(random());
        TMlb2 t;
        if (t.LoadFromBuffer(data)) {
            // Whatever loads saves and loads again to the same table.
            TMlb2 again;
            ASSERT_TRUE(again.LoadFromBuffer(t.SaveToBuffer()));
            ASSERT_EQ(dump(again), dump(t));
        } else {
            EXPECT_NE(t.LastErrorCode(), 0);
        }
    }
}

TEST_F(MlbFile, FailedWriteKeepsOldFile)
{
    const std::string path = dir.file("films.cvo");
    TMlb2 old = alienBrazil();
    ASSERT_TRUE(old.SaveToFile(path));
    ::chmod(path.c_str(), 0640);

    TMlb2 changed = alienBrazil();
    changed.AppendRow();
    changed.SetValue("TITRE", "Casablanca");
    for (long long limit : {0LL, 10LL, 91LL}) {
        cinevaro::table::setSaveWriteLimitForTesting(limit);
        EXPECT_FALSE(changed.SaveToFile(path));
        cinevaro::table::setSaveWriteLimitForTesting(-1);
        EXPECT_EQ(changed.LastErrorCode(), 3);
        EXPECT_EQ(changed.LastErrorMessage(), "2-Unable to write the file");
        EXPECT_EQ(readFile(path), kAlienBrazil);
    }
    // No temporary file is left behind.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        entries += entry.path().filename() != "Cinevaro.ini";
    EXPECT_EQ(entries, 1);

    ASSERT_TRUE(changed.SaveToFile(path));
    EXPECT_EQ(changed.LastErrorCode(), 0);
    TMlb2 back;
    ASSERT_TRUE(back.LoadFromFile(path));
    EXPECT_EQ(back.RowCount(), 3);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(MlbFile, UncreatableFile)
{
    TMlb2 t = alienBrazil();
    const std::string plain = dir.write("plain.txt", "x");
    EXPECT_FALSE(t.SaveToFile(plain + "/films.cvo"));
    EXPECT_EQ(t.LastErrorCode(), 3);
    EXPECT_EQ(t.LastErrorMessage(), "1-Unable to open the file for writing");
    EXPECT_FALSE(t.SaveToFile(dir.file("missing/films.cvo")));
    EXPECT_EQ(t.LastErrorMessage(), "1-Unable to open the file for writing");
    EXPECT_FALSE(t.SaveToFile(dir.path().string()));
    EXPECT_EQ(t.LastErrorCode(), 3);
    EXPECT_EQ(readFile(plain), "x");
    // Saving does not move the cursor.
    t.MoveTo(1);
    EXPECT_TRUE(t.SaveToFile(dir.file("ok.cvo")));
    EXPECT_EQ(t.CurrentIndex(), 1);
}

TEST_F(MlbFile, SaveThroughSymbolicLinkKeepsLink)
{
    const std::string real = dir.file("real.cvo");
    const std::string link = dir.file("link.cvo");
    TMlb2 t;
    ASSERT_TRUE(t.SaveToFile(real));
    std::filesystem::create_symlink(real, link);
    TMlb2 u = alienBrazil();
    ASSERT_TRUE(u.SaveToFile(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real), kAlienBrazil);
}

TEST_F(MlbFile, SuccessiveLoadsOfDifferentSizes)
{
    TMlb2 big;
    big.AddField("RESUME");
    for (int n = 0; n < 200; ++n) {
        big.AppendRow();
        big.SetValue("RESUME", std::string(600, static_cast<char>('a' + n % 26)));
    }
    const std::string bigPath = dir.file("big.cvo");
    const std::string smallPath = dir.file("small.cvo");
    const std::string emptyPath = dir.write("empty.cvo", "");
    ASSERT_TRUE(big.SaveToFile(bigPath));
    ASSERT_TRUE(alienBrazil().SaveToFile(smallPath));
    TMlb2 t;
    ASSERT_TRUE(t.LoadFromFile(smallPath));
    ASSERT_TRUE(t.LoadFromFile(bigPath));
    EXPECT_EQ(dump(t), dump(big));
    ASSERT_TRUE(t.LoadFromFile(smallPath));
    EXPECT_EQ(dump(t), dump(alienBrazil()));
    EXPECT_FALSE(t.LoadFromFile(emptyPath));
    EXPECT_EQ(t.LastErrorCode(), 2);
    EXPECT_EQ(t.LastErrorMessage(), "1-File's Signature must be MLB");
    EXPECT_EQ(dump(t), dump(alienBrazil()));
}

TEST_F(MlbFile, ReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    const std::string path = dir.file("locked.cvo");
    ASSERT_TRUE(alienBrazil().SaveToFile(path));
    ::chmod(path.c_str(), 0444);
    TMlb2 t;
    EXPECT_FALSE(t.SaveToFile(path));
    EXPECT_EQ(t.LastErrorCode(), 3);
    EXPECT_EQ(t.LastErrorMessage(), "1-Unable to open the file for writing");
    EXPECT_EQ(readFile(path), kAlienBrazil);
}
