// html and pdf commands: the same page as the export window, the printed pages as a PDF.
#include "cli/Cli.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "catalogue/CoverPath.h"
#include "output/HtmlExport.h"
#include "support/CliFixture.h"
#include "support/FileFaults.h"
#include "support/FileSizeLimit.h"
#include "support/JpegBuilders.h"
#include "support/OutputCatalogue.h"

namespace fs = std::filesystem;
namespace output = cinevaro::output;
namespace ct = cinevaro::testing;

class CliOutputTest : public cinevaro::testing::CliTest
{
protected:
    cinevaro::catalogue::CatalogueState state;

    void SetUp() override { ct::makeCatalogue(state, dir, ct::films(4)); }
};

TEST_F(CliOutputTest, HtmlWithDefaultsIsTheWindowsPage)
{
    const std::string page = dir.file("liste.htm");
    ASSERT_EQ(run({"html", dir.file("Films.cvo"), page}), 0) << err.str();
    EXPECT_EQ(ct::readFile(page), ct::readFile(ct::dataFile("output/four_films.htm")));
}

TEST_F(CliOutputTest, HtmlOptions)
{
    const std::string page = dir.file("choix.htm");
    ASSERT_EQ(run({"html", dir.file("Films.cvo"), page, "--width", "80", "--align", "Droite", "--border", "2",
                   "--no-lines", "--columns", "Année,Résumé", "--rows", "4,2"}),
              0)
        << err.str();
    output::HtmlOptions options;
    options.width = "80";
    options.justification = "Droite";
    options.border = "2";
    options.lines = false;
    options.columns = {true, false, true, false, false, false, false, false, false, true};
    // The films come in table order, as the export window lists the ticked ones.
    EXPECT_EQ(ct::readFile(page), output::buildHtmlPage(state.table(), {2, 4}, options));
}

TEST_F(CliOutputTest, HtmlRowsComeInTableOrderEachOnce)
{
    const std::string page = dir.file("ordre.htm");
    ASSERT_EQ(run({"html", dir.file("Films.cvo"), page, "--rows", "5,3"}), 0) << err.str();
    const std::string written = ct::readFile(page);
    EXPECT_EQ(written, output::buildHtmlPage(state.table(), {3, 5}, output::HtmlOptions()));
    EXPECT_NE(written, output::buildHtmlPage(state.table(), {5, 3}, output::HtmlOptions()));
    ASSERT_EQ(run({"html", dir.file("Films.cvo"), page, "--rows", "4,2,4,3"}), 0) << err.str();
    EXPECT_EQ(ct::readFile(page), output::buildHtmlPage(state.table(), {2, 3, 4}, output::HtmlOptions()));
}

// The refusals of "html": each one writes nothing.
TEST_F(CliOutputTest, HtmlWithoutAnOutputFileIsAUsageError)
{
    EXPECT_EQ(run({"html", dir.file("Films.cvo")}), 2);
    EXPECT_FALSE(fs::exists(dir.file("a.htm")));
}

TEST_F(CliOutputTest, HtmlRefusesAnUnknownAlignment)
{
    EXPECT_EQ(run({"html", dir.file("Films.cvo"), dir.file("a.htm"), "--align", "Milieu"}), 2);
    EXPECT_FALSE(fs::exists(dir.file("a.htm")));
}

TEST_F(CliOutputTest, HtmlNamesTheUnknownColumn)
{
    EXPECT_EQ(run({"html", dir.file("Films.cvo"), dir.file("a.htm"), "--columns", "Titre,Budget"}), 2);
    EXPECT_NE(err.str().find("Budget"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("a.htm")));
}

TEST_F(CliOutputTest, HtmlRefusesTheHeaderRowAsAFilm)
{
    EXPECT_EQ(run({"html", dir.file("Films.cvo"), dir.file("a.htm"), "--rows", "1"}), 1);
    EXPECT_FALSE(fs::exists(dir.file("a.htm")));
}

TEST_F(CliOutputTest, HtmlIntoAMissingFolderSaysItCannotWrite)
{
    EXPECT_EQ(run({"html", dir.file("Films.cvo"), dir.file("absent/a.htm")}), 1);
    EXPECT_EQ(err.str(), "Impossible d'écrire le fichier " + dir.file("absent/a.htm") + "\n");
}

TEST_F(CliOutputTest, PdfHasOnePagePerPrintedPage)
{
    const std::string pdf = dir.file("films.pdf");
    ASSERT_EQ(run({"pdf", dir.file("Films.cvo"), pdf}), 0) << err.str();
    const std::string bytes = ct::readFile(pdf);
    ASSERT_EQ(bytes.substr(0, 5), "%PDF-");
    int pages = 0;
    for (auto at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
        pages += bytes.compare(at, 12, "/Type /Pages") != 0;
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(run({"pdf", dir.file("Films.cvo")}), 2);
    EXPECT_EQ(run({"pdf", dir.file("Absent.cvo"), pdf}), 1);
}

// A cover in the folder is printed as a picture of the PDF; a damaged one stops the command with
// its reason, and nothing is written.
TEST_F(CliOutputTest, PdfPrintsTheCoversAndStopsAtADamagedOne)
{
    const std::string cover =
        cinevaro::catalogue::coverPath(state, state.table().GetCell(cinevaro::catalogue::posTITRE, 2));
    fs::create_directories(fs::path(cover).parent_path());
    const std::vector<unsigned char> grey(60 * 3, 128);
    std::ofstream(cover, std::ios::binary) << ct::compressJpeg(
        60, 80, 3, JCS_RGB, [](jpeg_compress_struct&) {}, [&grey](int) { return grey.data(); });
    const std::string pdf = dir.file("films.pdf");
    ASSERT_EQ(run({"pdf", dir.file("Films.cvo"), pdf}), 0) << err.str();
    EXPECT_NE(ct::readFile(pdf).find("/Subtype /Image"), std::string::npos);

    std::ofstream(cover, std::ios::binary) << "damaged";
    const std::string other = dir.file("autre.pdf");
    EXPECT_EQ(run({"pdf", dir.file("Films.cvo"), other}), 1);
    EXPECT_NE(err.str().find(cinevaro::table::cp1252ToUtf8(cover) + " : ce n'est pas une image JPEG"),
              std::string::npos)
        << err.str();
    EXPECT_FALSE(fs::exists(other));
}

// A word that starts with two hyphens is an option whatever follows them, never a file to write.
TEST_F(CliOutputTest, PdfTakesNoOptionLikeWordForItsFiles)
{
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    EXPECT_EQ(run({"pdf", "Films.cvo", "---films.pdf"}), 2);
    EXPECT_EQ(run({"pdf", "--Films.cvo", "films.pdf"}), 2);
    fs::current_path(before);
    EXPECT_FALSE(fs::exists(dir.file("---films.pdf")));
    EXPECT_FALSE(fs::exists(dir.file("films.pdf")));
}

// With no room left the PDF is not reported as written and the older file at that path stays
// byte for byte (a file size limit stands for the full disk); no temporary is left. A folder
// that cannot hold the file is refused the same way.
TEST_F(CliOutputTest, PdfThatCannotBeWrittenKeepsThePreviousFile)
{
    const std::string pdf = dir.write("films.pdf", std::string(200, 'o') + " older catalogue printout");
    const std::string before = ct::readFile(pdf);
    int status = 0;
    {
        ct::FileSizeLimit full(4096);
        status = run({"pdf", dir.file("Films.cvo"), pdf});
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("Impossible d'écrire le fichier " + pdf), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("aucun fichier n'a été modifié"), std::string::npos) << err.str();
    EXPECT_EQ(ct::readFile(pdf), before);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    const std::string notAFolder = dir.write("notes.txt", "notes");
    EXPECT_EQ(run({"pdf", dir.file("Films.cvo"), notAFolder + "/films.pdf"}), 1);
    EXPECT_NE(err.str().find("Impossible d'écrire le fichier"), std::string::npos) << err.str();
    EXPECT_EQ(ct::readFile(notAFolder), "notes");

    // Room again: the same command replaces the old file with the whole PDF.
    ASSERT_EQ(run({"pdf", dir.file("Films.cvo"), pdf}), 0) << err.str();
    const std::string written = ct::readFile(pdf);
    EXPECT_EQ(written.rfind("%PDF", 0), 0u);
    EXPECT_NE(written.find("%%EOF"), std::string::npos);
}

// Each step of writing the PDF fails in turn (creating, writing, flushing, syncing, renaming):
// every time the command fails with a French message and the folder is as it was.
TEST_F(CliOutputTest, PdfFaultInjectionKeepsThePreviousFile)
{
    const std::string pdf = dir.write("films.pdf", "%PDF- older printout");
    // The versions of the catalogue just made are packed first: no other file is written meanwhile.
    if (state.Versions)
        state.Versions->flush();
    const auto before = ct::snapshotFiles(dir.path());
    int status = 0;
    const int faults = ct::forEachFileFault(
        {cinevaro::table::FileOp::Open, cinevaro::table::FileOp::Write, cinevaro::table::FileOp::Flush,
         cinevaro::table::FileOp::Fsync, cinevaro::table::FileOp::Rename},
        [&] {
            status = run({"pdf", dir.file("Films.cvo"), pdf});
        },
        [&](const std::string& label) {
            EXPECT_EQ(status, 1) << label;
            EXPECT_NE(err.str().find("Impossible d'écrire le fichier " + pdf), std::string::npos)
                << label << ": " << err.str();
            EXPECT_EQ(ct::snapshotFiles(dir.path()), before) << label;
        },
        [&](const std::string& label) {
            EXPECT_EQ(status, 0) << label << ": " << err.str();
            EXPECT_EQ(ct::readFile(pdf).rfind("%PDF-1", 0), 0u) << label;
            dir.write("films.pdf", "%PDF- older printout");
        });
    EXPECT_GE(faults, 5);
}
