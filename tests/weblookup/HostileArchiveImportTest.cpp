// The import against archives a hostile film service could send. Each case runs in a child process
// so its time and peak memory are its own; afterwards nothing outside the collection folder has
// changed, every file that was in the folder is still there untouched, the catalogue still opens,
// and a refusal reached the user in French.
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "output/TZipMaster.h"
#include "support/FakeFilmService.h"
#include "support/HostileArchives.h"
#include "support/TempDir.h"
#include "support/ZipBuilder.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"

namespace cinevaro::weblookup {
namespace {

namespace fs = std::filesystem;
using testing::FakeFilm;
using testing::FakeFilmService;
using testing::ZipBuilder;

constexpr long kMaxPeakKiB = 100 * 1024;
constexpr auto kDeadline = std::chrono::seconds(30);
constexpr std::uint64_t kBombSize = 300ull * 1024 * 1024;

// The places a case may aim at.
struct Sandbox
{
    fs::path root;       // holds the catalogue, the collection folder and "outside"
    std::string folder;  // the collection folder, with its final separator
    fs::path outside;    // files the import must never touch
    std::string film;    // name of the film imported (archive "NAME.zip", film file "NAME.film")
    std::string content; // a sound film file
};

struct HostileArchive
{
    std::string link; // archive link on the film page; empty for the usual one
    std::string bytes;
};

enum class Expect {
    Refused,         // the import stops with a French message
    Added,           // the film is imported once the hostile names are cut to their last component
    AddedWithNotice, // the film is imported, and the user is told entries were left out
};

struct HostileCase
{
    const char* name;
    Expect expect;
    std::function<HostileArchive(const Sandbox&)> make;
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.name;
}

HostileArchive archive(const ZipBuilder& zip, std::string link = {})
{
    return {std::move(link), zip.bytes()};
}

ZipBuilder withFilm(const Sandbox& s)
{
    ZipBuilder zip;
    zip.add(s.film + ".film", s.content);
    return zip;
}

// Built once: packing 300 MiB of zeros takes a moment.
const std::string& bomb()
{
    static const std::string bytes = [] {
        testing::TempDir work;
        return testing::zeroBombArchive("bombe.jpg", kBombSize, work.path().string(), 1);
    }();
    return bytes;
}

std::string cut(const std::string& bytes, std::size_t at)
{
    return bytes.substr(0, at);
}

std::vector<HostileCase> hostileCases()
{
    using S = const Sandbox&;
    return {
        {"TraversalWithSlashes", Expect::Added,
         [](S s) { return archive(withFilm(s).add("../../outside/victime.txt", "pirate").add("../evade.jpg", "e")); }},
        {"TraversalWithBackslashes", Expect::Added,
         [](S s) {
             return archive(
                 ZipBuilder().add("..\\..\\outside\\victime.txt", "pirate").add("..\\" + s.film + ".film", s.content));
         }},
        {"AbsoluteNames", Expect::Added,
         [](S s) {
             return archive(withFilm(s).add((s.outside / "victime.txt").string(), "pirate").add("/etc/cinevaro", "x"));
         }},
        {"AbsoluteNameOfACoverInTheFolder", Expect::Added,
         [](S s) { return archive(withFilm(s).add(s.folder + "ALIEN.jpg", "remplacee")); }},
        {"SymlinkToAFileOutside", Expect::AddedWithNotice,
         [](S s) { return archive(withFilm(s).addSymlink(s.film + ".jpg", (s.outside / "victime.txt").string())); }},
        {"SymlinkAsTheFilmFile", Expect::Refused,
         [](S s) { return archive(ZipBuilder().addSymlink(s.film + ".film", "/etc/passwd")); }},
        {"SymlinkToAFolderThenAFileThrough", Expect::AddedWithNotice,
         [](S s) {
             return archive(
                 withFilm(s).addSymlink("lien", s.outside.string()).add("lien/victime.txt", "au travers du lien"));
         }},
        {"NulDeletesTheCoverOfAnotherFilm", Expect::Refused,
         [](S) { return archive(ZipBuilder().add(std::string("AUTRE FILM.jpg\0.film", 20), "Titre\r\n")); }},
        {"NulMovesAJacket", Expect::Refused,
         [](S) {
             return archive(ZipBuilder()
                                .add(std::string("JAQUETTE.jpg\0.film", 18), "Titre\r\n")
                                .add(std::string("JAQUETTE.jpg\0.jpg", 17), "autre"));
         }},
        {"ControlCharactersInNames", Expect::Refused,
         [](S s) {
             return archive(ZipBuilder()
                                .add(s.film + "\r\n.film", s.content)
                                .add("cloche\x07.jpg", "b")
                                .add(s.film + "\x7F.film", s.content)
                                .add(s.film + "\t.film", s.content));
         }},
        {"NulOnlyInTheCentralDirectory", Expect::Refused,
         [](S s) {
             return archive(ZipBuilder().addEntry(
                 {s.film + ".film", s.content, false, -1, std::string("AUTRE FILM.jpg\0.film", 20)}));
         }},
        {"NulOnlyInTheLocalHeader", Expect::Added,
         [](S s) {
             return archive(ZipBuilder().addEntry(
                 {std::string("AUTRE FILM.jpg\0.film", 20), s.content, false, -1, s.film + ".film"}));
         }},
        {"EntryNamedLikeACover", Expect::Added, [](S s) { return archive(withFilm(s).add("ALIEN.jpg", "remplacee")); }},
        {"EntryNamedLikeALinkInTheFolder", Expect::Added,
         [](S s) { return archive(withFilm(s).add("raccourci.txt", "par le lien")); }},
        {"FilmEntryNamedLikeAFileAlreadyThere", Expect::Refused,
         [](S s) { return archive(ZipBuilder().add("MIENNE.film", s.content)); }},
        {"NoticeNamedLikeTheUsersFile", Expect::Added,
         [](S s) { return archive(withFilm(s).add("(c).txt", "notice du service")); }},
        {"DuplicatedNames", Expect::Added,
         [](S s) {
             return archive(
                 withFilm(s).add(s.film + ".film", "Autre\r\n").add(s.film + ".jpg", "1").add(s.film + ".jpg", "2"));
         }},
        {"NamesDifferingInCase", Expect::Added,
         [](S s) {
             return archive(ZipBuilder().add(s.film + ".FILM", "Majuscules\r\n").add(s.film + ".film", s.content));
         }},
        {"FallbackWouldTakeACover", Expect::Refused,
         [](S) { return archive(ZipBuilder().add("notice.txt", "sans fiche"), "/alien.jpg"); }},
        {"TitleIsAnAbsolutePath", Expect::Added,
         [](S s) {
             return archive(ZipBuilder()
                                .add(".film", (s.outside / "Pictures" / "vacances").string() + "\r\nReal\r\n")
                                .add(".jpg", "j"));
         }},
        {"TitleClimbsOutOfTheFolder", Expect::Added,
         [](S) {
             return archive(ZipBuilder().add(".film", "../outside/Pictures/vacances\r\nReal\r\n").add(".jpg", "j"));
         }},
        {"TruncatedInTheData", Expect::Refused,
         [](S s) {
             return HostileArchive{{}, cut(withFilm(s).add(s.film + ".jpg", std::string(4000, 'j')).bytes(), 500)};
         }},
        {"TruncatedInTheCentralDirectory", Expect::Refused,
         [](S s) {
             const std::string whole = withFilm(s).add(s.film + ".jpg", "j").bytes();
             return HostileArchive{{}, cut(whole, whole.size() - 40)};
         }},
        {"EmptyDownload", Expect::Refused,
         [](S) {
             return HostileArchive{{}, ""};
         }},
        {"WebPageInsteadOfAnArchive", Expect::Refused,
         [](S) {
             return HostileArchive{{}, "<HTML><BODY>Service indisponible</BODY></HTML>"};
         }},
        {"ZipBombOverTheCap", Expect::Refused,
         [](S) {
             return HostileArchive{{}, bomb()};
         }},
        {"ZipBombLyingAboutItsSize", Expect::Refused,
         [](S) {
             return HostileArchive{{}, testing::withClaimedSize(bomb(), 1000)};
         }},
        {"SmallEntriesClaimingMoreThanTheCap", Expect::Refused,
         [](S s) {
             ZipBuilder zip = withFilm(s);
             for (int i = 0; i < 30; ++i)
                 zip.addEntry({"part" + std::to_string(i) + ".jpg", "x", false, 10ll * 1024 * 1024, std::nullopt});
             return archive(zip);
         }},
        {"TooManyEntries", Expect::Refused,
         [](S s) {
             ZipBuilder zip = withFilm(s);
             for (int i = 0; i < 65536; ++i)
                 zip.add("e" + std::to_string(i), "");
             return archive(zip);
         }},
        {"ArchiveNameDotDot", Expect::Refused, [](S s) { return archive(withFilm(s), "/getzip.html/.."); }},
        {"ArchiveNameWithBackslashes", Expect::Refused,
         [](S s) { return archive(withFilm(s), "/getzip.html/..\\..\\outside\\victime.txt"); }},
        {"ArchiveNameOfACoverInTheFolder", Expect::Refused,
         [](S s) { return archive(withFilm(s), "/getzip.html/ALIEN.jpg"); }},
        {"ArchiveNameEndingWithASlash", Expect::Refused,
         [](S s) { return archive(withFilm(s), "/getzip.html/sous/"); }},
        {"ArchiveNameWithAControlCharacter", Expect::Refused,
         [](S s) { return archive(withFilm(s), std::string("/getzip.html/a\x1B.zip")); }},
        {"DotAndFolderNames", Expect::AddedWithNotice,
         [](S s) { return archive(withFilm(s).add(".", "1").add("..", "2").add("sous/", "").add("sous/..", "3")); }},
        {"FolderNamedLikeTheCover", Expect::Added, [](S s) { return archive(withFilm(s).add(s.film + ".jpg/", "")); }},
        {"EntryNamedLikeTheCatalogueAbove", Expect::Added,
         [](S s) { return archive(withFilm(s).add("../films.cvo", "pas un catalogue")); }},
    };
}

// What a file was: its kind, bytes (or link target) and inode.
struct FileState
{
    char kind = '?';
    std::string bytes;
    ino_t inode = 0;
    bool operator==(const FileState&) const = default;
};

std::map<std::string, FileState> snapshot(const fs::path& top, const std::function<bool(const fs::path&)>& skip)
{
    std::map<std::string, FileState> files;
    for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path& p = it->path();
        if (skip(p)) {
            if (it->is_directory() && !it->is_symlink())
                it.disable_recursion_pending();
            continue;
        }
        struct stat st
        {
        };
        ::lstat(p.c_str(), &st);
        FileState f;
        f.inode = st.st_ino;
        if (S_ISLNK(st.st_mode)) {
            f.kind = 'l';
            f.bytes = fs::read_symlink(p).string();
        } else if (S_ISDIR(st.st_mode)) {
            f.kind = 'd';
        } else {
            f.kind = 'f';
            f.bytes = testing::readFile(p.string());
        }
        files[fs::relative(p, top).string()] = f;
    }
    return files;
}

// French enough to be shown: no message of the zip library's English alone.
bool readsFrench(const std::string& message)
{
    if (message.empty() || message.rfind("Error", 0) == 0)
        return false;
    for (const char* word : {"archive", "fichier", "Fichier", "fiche", "extrait", "valable", "introuvable",
                             "Impossible", "ignor", "charg", "dossier"})
        if (message.find(word) != std::string::npos)
            return true;
    return false;
}

struct ChildRun
{
    bool reported = false; // the child wrote its result and ended
    bool timedOut = false;
    bool ok = false;
    int added = 0;
    std::string message;
    std::vector<std::string> notices;
    long peakKiB = 0;
    double seconds = 0;
};

// Runs the import in a child process and collects its result, time and peak memory.
ChildRun runInChild(const std::function<ImportResult()>& import)
{
    ChildRun run;
    int fds[2];
    if (::pipe(fds) != 0)
        return run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        ImportResult result = import();
        std::string out = std::string(result.outcome.ok ? "1" : "0") + std::to_string(result.added) + "\n";
        for (const auto& notice : result.notices)
            out += notice + '\x1F';
        out += "\n" + result.outcome.message;
        const char* p = out.data();
        for (std::size_t left = out.size(); left > 0;) {
            ssize_t n = ::write(fds[1], p, left);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string in;
    for (;;) {
        const auto left = kDeadline - (std::chrono::steady_clock::now() - start);
        if (left <= std::chrono::steady_clock::duration::zero()) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1) <=
            0)
            continue;
        char buffer[4096];
        ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        in.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    const auto newline = in.find('\n');
    if (!run.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0 && newline != std::string::npos) {
        run.reported = true;
        run.ok = in[0] == '1';
        run.added = std::atoi(in.substr(1, newline - 1).c_str());
        const auto second = in.find('\n', newline + 1);
        const std::string notices = in.substr(newline + 1, second - newline - 1);
        for (std::size_t at = 0, end; (end = notices.find('\x1F', at)) != std::string::npos; at = end + 1)
            run.notices.push_back(notices.substr(at, end - at));
        run.message = second == std::string::npos ? std::string() : in.substr(second + 1);
    }
    return run;
}

class HostileArchiveImport : public ::testing::TestWithParam<HostileCase>
{
protected:
    void TearDown() override { catalogue::VersionStore::setEnabledForTesting(true); }
    void SetUp() override
    {
        // Each import runs in a forked child, and every file outside the collection folder is
        // watched: no version store (and no packing thread) takes part.
        catalogue::VersionStore::setEnabledForTesting(false);
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
        film = service.films()[0];
        sandbox.root = dir.path();
        sandbox.folder = state.CollectionFolder;
        sandbox.outside = dir.path() / "outside";
        sandbox.film = film.name;
        sandbox.content = film.filmFile();
        // What the user had before the import: covers, a film file, a notice, and files elsewhere.
        dir.write("films/ALIEN.jpg", "couverture d'ALIEN");
        dir.write("films/AUTRE FILM.jpg", "couverture d'un autre film");
        dir.write("films/JAQUETTE.jpg", "jaquette");
        dir.write("films/MIENNE.film", "Ma fiche\r\n");
        dir.write("films/(c).txt", "notice de l'utilisateur");
        dir.write("outside/victime.txt", "intacte");
        dir.write("outside/Pictures/vacances.jpg", "photo de vacances");
        fs::create_symlink(sandbox.outside / "victime.txt", dir.path() / "films" / "raccourci.txt");
    }

    testing::TempDir dir;
    FakeFilmService service;
    catalogue::CatalogueState state;
    FakeFilm film;
    Sandbox sandbox;
};

TEST_P(HostileArchiveImport, HoldsAndTellsTheUserInFrench)
{
    const HostileCase& c = GetParam();
    HostileArchive hostile = c.make(sandbox);
    testing::serveHostileArchive(
        service, film, hostile.link.empty() ? FakeFilmService::archivePath(film) : hostile.link, hostile.bytes);

    const fs::path folder = dir.path() / "films";
    auto outsideFolder = [&](const fs::path& p) {
        const std::string name = p.filename().string();
        return p == folder || name.rfind("films.", 0) == 0 || name == "Cinevaro.ini";
    };
    const auto outsideBefore = snapshot(dir.path(), outsideFolder);
    const auto folderBefore = snapshot(folder, [](const fs::path&) { return false; });

    ChildRun run = runInChild([&] {
        HttpClient client;
        std::vector<ImportItem> items{
            {true, "DVD", service.rootAddress() + FakeFilmService::filmPath(film), film.listedTitle}};
        return importSelection(state, client, service.rootAddress(), items, {});
    });

    ASSERT_FALSE(run.timedOut) << "no end within " << kDeadline.count() << " s";
    ASSERT_TRUE(run.reported) << "the import ended abnormally";
    EXPECT_LT(run.peakKiB, kMaxPeakKiB);
    EXPECT_EQ(snapshot(dir.path(), outsideFolder), outsideBefore);
    const auto folderAfter = snapshot(folder, [](const fs::path&) { return false; });
    for (const auto& [name, before] : folderBefore) {
        auto it = folderAfter.find(name);
        ASSERT_NE(it, folderAfter.end()) << name << " was deleted";
        EXPECT_EQ(it->second, before) << name << " was replaced or changed";
    }
    for (const auto& [name, after] : folderAfter) {
        EXPECT_EQ(name.find(".cinevaro-"), std::string::npos) << "temporary file left: " << name;
        if (!folderBefore.count(name)) {
            EXPECT_NE(after.kind, 'l') << name << " is a link the import made";
        }
    }

    if (c.expect != Expect::Refused) {
        EXPECT_TRUE(run.ok) << run.message;
        EXPECT_EQ(run.added, 1);
        EXPECT_EQ(run.notices.size(), c.expect == Expect::AddedWithNotice ? 1u : 0u);
        for (const auto& notice : run.notices)
            EXPECT_TRUE(readsFrench(notice)) << notice;
    } else {
        EXPECT_FALSE(run.ok);
        EXPECT_EQ(run.added, 0);
        EXPECT_TRUE(readsFrench(run.message)) << run.message;
    }

    catalogue::CatalogueState reopened;
    catalogue::commitNames(reopened, state.CatalogueFileName);
    ASSERT_TRUE(catalogue::OpenCatalogue(reopened).ok);
    EXPECT_EQ(reopened.table().RowCount(), 1 + run.added);
    std::cout << "[ case      ] " << c.name << ": " << (run.ok ? "imported" : "refused: " + run.message);
    for (const auto& notice : run.notices)
        std::cout << " [" << notice << "]";
    std::cout << " (" << run.seconds << " s, peak " << run.peakKiB / 1024 << " MiB)\n";
}

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchiveImport, ::testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace cinevaro::weblookup
