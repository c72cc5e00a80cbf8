// The export window: lists, options from and to the settings, generation, saving, printing.
#include "ui/output/TfrmExportH.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/Settings.h"
#include "output/HtmlExport.h"
#include "support/OutputCatalogue.h"
#include "support/ScriptedPrompts.h"
#include "ui/OutputWindowsSupport.h"

namespace fs = std::filesystem;
namespace output = cinevaro::output;
namespace catalogue = cinevaro::catalogue;
namespace ct = cinevaro::testing;
using cinevaro::ui::TfrmExportH;

class TfrmExportHTest : public ::testing::Test
{
protected:
    ct::TempDir dir;
    catalogue::CatalogueState state;
    catalogue::Settings settings{dir.file("Cinevaro.ini")};
    ct::ScriptedPrompts prompts;
    std::unique_ptr<TfrmExportH> window;

    void SetUp() override
    {
        ct::makeCatalogue(state, dir, ct::films(4));
        window = std::make_unique<TfrmExportH>(state, settings, prompts);
    }
    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    template <typename T> T* child(const char* name)
    {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void click(const char* button) { QTest::mouseClick(child<QToolButton>(button), Qt::LeftButton); }
    std::string page() const { return ct::readFile(settings.tempDir() + "temp.htm"); }
    std::string expected(std::vector<int> rows, const output::HtmlOptions& options = {}) const
    {
        return output::buildHtmlPage(state.table(), rows, options);
    }
};

TEST_F(TfrmExportHTest, ShowingFillsBothListsAndGeneratesThePage)
{
    window->show();
    auto* columns = child<QListWidget>("lstExport");
    ASSERT_EQ(columns->count(), 10);
    EXPECT_EQ(columns->item(0)->text(), QStringLiteral("Titre"));
    EXPECT_EQ(columns->item(9)->text(), QStringLiteral("Résumé"));
    for (int i = 0; i < columns->count(); ++i)
        EXPECT_EQ(columns->item(i)->checkState(), Qt::Checked);
    auto* films = child<QListWidget>("lstH");
    ASSERT_EQ(films->count(), 4);
    EXPECT_EQ(films->item(0)->text(), QStringLiteral("Amélie"));
    EXPECT_EQ(child<QLineEdit>("lblTable")->text(), QStringLiteral("100"));
    EXPECT_EQ(child<QComboBox>("cmbJust")->currentIndex(), 0);
    EXPECT_EQ(child<QLineEdit>("lblBordure")->text(), QStringLiteral("1"));
    EXPECT_TRUE(child<QCheckBox>("chkLigne")->isChecked());
    EXPECT_EQ(page(), expected({2, 3, 4, 5}));
    // The preview decodes the page as Windows-1252.
    EXPECT_TRUE(child<QTextBrowser>("WebBrowser")->toPlainText().contains(QStringLiteral("Amélie")));
    ct::screenshot(*window, QStringLiteral("export-html"));

    // Showing again rebuilds the lists without duplicating them.
    window->hide();
    window->show();
    EXPECT_EQ(columns->count(), 10);
    EXPECT_EQ(films->count(), 4);
}

TEST_F(TfrmExportHTest, TitreIsCheckedAgainAtOnce)
{
    window->show();
    auto* columns = child<QListWidget>("lstExport");
    columns->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(columns->item(0)->checkState(), Qt::Checked);
    columns->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(columns->item(1)->checkState(), Qt::Unchecked);
}

TEST_F(TfrmExportHTest, RegenererUsesTheCurrentOptions)
{
    window->show();
    child<QLineEdit>("lblTable")->setText(QStringLiteral("80"));
    child<QComboBox>("cmbJust")->setCurrentIndex(1);
    child<QListWidget>("lstExport")->item(9)->setCheckState(Qt::Unchecked);
    child<QListWidget>("lstH")->item(1)->setCheckState(Qt::Unchecked);
    // Nothing changes before "Regénérer".
    EXPECT_EQ(page(), expected({2, 3, 4, 5}));
    click("ToolButton5");
    output::HtmlOptions options;
    options.width = "80";
    options.justification = "Droite";
    options.columns[9] = false;
    EXPECT_EQ(page(), expected({2, 4, 5}, options));
    EXPECT_NE(page().find("<table border=\"0\" width=\"80%\" align=\"right\"><td>\r\n"), std::string::npos);
}

TEST_F(TfrmExportHTest, SavedJustificationSelectsItsItem)
{
    settings.writeString("HTML", "JUSTIFICATION", "Gauche");
    window->show();
    EXPECT_EQ(child<QComboBox>("cmbJust")->currentIndex(), 2);
    EXPECT_NE(page().find("align=\"left\"><td>"), std::string::npos);

    // A value that is no item shows as typed, and no alignment is written.
    window->close();
    settings.writeString("HTML", "JUSTIFICATION", "Milieu");
    window->show();
    EXPECT_EQ(child<QComboBox>("cmbJust")->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>("cmbJust")->currentText(), QStringLiteral("Milieu"));
    EXPECT_NE(page().find("align=\"\"><td>"), std::string::npos);
}

TEST_F(TfrmExportHTest, ClosingWritesTheFourSettings)
{
    window->show();
    child<QLineEdit>("lblTable")->setText(QStringLiteral("75"));
    child<QComboBox>("cmbJust")->setCurrentIndex(1);
    child<QLineEdit>("lblBordure")->setText(QStringLiteral("0"));
    child<QCheckBox>("chkLigne")->setChecked(false);
    window->close();
    EXPECT_EQ(settings.readString("HTML", "LARGEURT", ""), "75");
    EXPECT_EQ(settings.readString("HTML", "JUSTIFICATION", ""), "Droite");
    EXPECT_EQ(settings.readString("HTML", "BORDURE", ""), "0");
    EXPECT_EQ(settings.readString("HTML", "LIGNE", ""), "0");
    window->show();
    EXPECT_EQ(child<QLineEdit>("lblTable")->text(), QStringLiteral("75"));
    EXPECT_FALSE(child<QCheckBox>("chkLigne")->isChecked());
}

TEST_F(TfrmExportHTest, SavingCopiesTheLastGeneratedPage)
{
    window->show();
    const std::string generated = page();
    child<QLineEdit>("lblTable")->setText(QStringLiteral("50")); // not regenerated
    prompts.answerFile(QString::fromStdString(dir.file("liste")));
    click("ToolButton3");
    EXPECT_EQ(ct::readFile(dir.file("liste.htm")), generated);
    ASSERT_EQ(prompts.transcript().back().kind, QStringLiteral("save"));
    EXPECT_EQ(prompts.transcript().back().caption, QStringLiteral("Enregistrer fichier HTML sous ..."));

    prompts.answerFile(QString()); // cancelled
    click("ToolButton3");
    prompts.answerFile(QString::fromStdString(dir.file("absent/liste.htm")));
    click("ToolButton3");
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Impossible d'enregistrer le fichier ") +
                          QString::fromStdString(dir.file("absent/liste.htm")) + QStringLiteral(".")});
}

TEST_F(TfrmExportHTest, UncreatableTempFolderIsReported)
{
    const std::string blocker = dir.write("blocker", "x");
    settings.writeString("GENERAL", "REPERTOIRETEMP", blocker + "/temp/");
    window->show();
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Impossible de créer") + QString::fromStdString(blocker + "/temp/.")});
}

TEST_F(TfrmExportHTest, PrintingAndPreviewOfTheShownPage)
{
    window->show();
    const std::string pdf = dir.file("page.pdf");
    window->setPrinterSetup([&pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
    });
    click("ToolButton1");
    EXPECT_EQ(ct::readFile(pdf).substr(0, 5), "%PDF-");

    bool previewed = false;
    prompts.answerModal([&previewed](QDialog& dialog) {
        previewed = qobject_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    click("ToolButton2");
    EXPECT_TRUE(previewed);
}

// Without a printer (Qt's fall-back is a PDF file with no name) printing says so and writes nothing.
TEST_F(TfrmExportHTest, PrintingWithoutAPrinterSaysSo)
{
    window->show();
    window->setPrinterSetup([](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString());
    });
    click("ToolButton1");
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].kind, QStringLiteral("warning"));
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Attention"));
    EXPECT_EQ(prompts.transcript()[0].text, QStringLiteral("Aucune imprimante n'est disponible."));
}

TEST_F(TfrmExportHTest, ToolBarShowsIconsWithTheTextsAsHints)
{
    window->show();
    const std::pair<const char*, const char*> buttons[] = {{"ToolButton1", "Imprimer"},
                                                           {"ToolButton2", "Aperçu avant impression ..."},
                                                           {"ToolButton3", "Enregistrer fichier HTML sous ..."},
                                                           {"ToolButton5", "Regénérer"}};
    for (const auto& [name, hint] : buttons) {
        auto* button = child<QToolButton>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
        // An icon-only button is about as wide as its icon, not as its text.
        EXPECT_LT(button->width(), button->fontMetrics().horizontalAdvance(button->toolTip()) + 4) << name;
    }
}
