// The archive window: choosing the name, writing the archive, the bar, and failures.
#include "ui/output/TfrmArchive.h"

#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "output/TZipMaster.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

namespace cinevaro::ui {
namespace {

namespace fs = std::filesystem;

class ArchiveWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tmp.write("Films.cvo", "catalogue");
        tmp.write("Films/cover.jpg", std::string(70000, '\x7F'));
        tmp.write("Films/sub/notes.txt", "notes");
        state.CatalogueFileName = tmp.file("Films.cvo");
        const auto names = catalogue::deriveNames(state.CatalogueFileName);
        state.CatalogueDir = names.dir;
        state.CatalogueName = names.name;
        state.CollectionFolder = names.collectionFolder;
        window.show();
    }

    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    QString chooseName(const QString& answer)
    {
        prompts.answerFile(answer);
        QTest::mouseClick(window.Button2, Qt::LeftButton);
        return window.editZip->text();
    }

    testing::TempDir tmp;
    catalogue::CatalogueState state;
    testing::ScriptedPrompts prompts;
    TfrmArchive window{state, prompts};
};

TEST_F(ArchiveWindowTest, ControlsAndArchiverDisabledOnShow)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Archivage"));
    EXPECT_EQ(window.btnArch->text(), QStringLiteral("Archiver"));
    EXPECT_EQ(window.btnClose->text(), QStringLiteral("Fermer"));
    EXPECT_FALSE(window.btnArch->isEnabled());
    window.editZip->setText(QStringLiteral("tape.zip"));
    EXPECT_FALSE(window.btnArch->isEnabled()); // typing alone does not enable it
}

// "Fermer" closes the window.
TEST_F(ArchiveWindowTest, CloseButtonClosesTheWindow)
{
    window.show();
    QTest::mouseClick(window.btnClose, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ArchiveWindowTest, ZipExtensionAddedUnlessExactlyDotZip)
{
    const QString base = QString::fromStdString(tmp.file("a"));
    EXPECT_EQ(chooseName(base), base + QStringLiteral(".zip"));
    EXPECT_EQ(chooseName(base + QStringLiteral(".zip")), base + QStringLiteral(".zip"));
    EXPECT_EQ(chooseName(base + QStringLiteral(".ZIP")), base + QStringLiteral(".ZIP.zip"));
    EXPECT_TRUE(window.btnArch->isEnabled());
    EXPECT_EQ(prompts.transcript().front().text, QStringLiteral("Fichier Zip (*.zip)"));
}

TEST_F(ArchiveWindowTest, CancelledDialogEnablesArchiverOnlyWithAKeptName)
{
    EXPECT_EQ(chooseName(QString()), QString());
    EXPECT_FALSE(window.btnArch->isEnabled());
    window.editZip->setText(QStringLiteral("/tmp/ancien.zip"));
    window.hide();
    window.show();
    EXPECT_FALSE(window.btnArch->isEnabled());
    chooseName(QString());
    EXPECT_TRUE(window.btnArch->isEnabled());
}

TEST_F(ArchiveWindowTest, SuccessWritesArchiveAndSaysArchivageTermine)
{
    const QString zip = chooseName(QString::fromStdString(tmp.file("sauvegarde")));
    QTest::mouseClick(window.btnArch, Qt::LeftButton);
    EXPECT_EQ(prompts.texts(QStringLiteral("information")), QStringList{QStringLiteral("Archivage Terminé")});
    EXPECT_TRUE(prompts.texts(QStringLiteral("error")).isEmpty());
    output::TZipDir dir;
    ASSERT_TRUE(dir.setZipFileName(zip.toStdString()));
    EXPECT_EQ(dir.Count(), 3);
    EXPECT_TRUE(window.btnArch->isEnabled());
    EXPECT_TRUE(window.btnClose->isEnabled());
    window.grab().save(QStringLiteral(CINEVARO_BUILD_DIR "/tfrmarchive.png"));
}

TEST_F(ArchiveWindowTest, UnwritableFolderGivesFrenchErrorAndNoFile)
{
    tmp.write("bloque", "un fichier, pas un dossier");
    const QString zip = chooseName(QString::fromStdString(tmp.file("bloque/archive")));
    QTest::mouseClick(window.btnArch, Qt::LeftButton);
    EXPECT_TRUE(prompts.texts(QStringLiteral("information")).isEmpty());
    const QStringList errors = prompts.texts(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Impossible d'écrire l'archive"))) << errors[0].toStdString();
    EXPECT_FALSE(fs::exists(zip.toStdString()));
    EXPECT_TRUE(window.btnArch->isEnabled());
}

TEST_F(ArchiveWindowTest, ExistingFileThatIsNotAnArchiveIsReportedAndKept)
{
    const auto page = tmp.write("page.zip", "<HTML></HTML>");
    chooseName(QString::fromStdString(page));
    QTest::mouseClick(window.btnArch, Qt::LeftButton);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")), QStringList{QStringLiteral("Error 1 reading Zip File.")});
    EXPECT_TRUE(prompts.texts(QStringLiteral("information")).isEmpty());
    EXPECT_EQ(testing::readFile(page), "<HTML></HTML>");
}

TEST_F(ArchiveWindowTest, EmptiedNameReportsNoZipFileSpecified)
{
    chooseName(QString::fromStdString(tmp.file("x")));
    window.editZip->clear();
    QTest::mouseClick(window.btnArch, Qt::LeftButton);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")), QStringList{QStringLiteral("Error - no zip file specified.")});
    EXPECT_TRUE(prompts.texts(QStringLiteral("information")).isEmpty());
}

TEST_F(ArchiveWindowTest, BarCountsStepsOf32768Bytes)
{
    window.ZipMaster1Progress(output::ProgressFileBegins, "a", 100000);
    EXPECT_EQ(window.ProgressBar1->minimum(), 1);
    EXPECT_EQ(window.ProgressBar1->maximum(), 3);
    EXPECT_EQ(window.ProgressBar1->value(), 1);
    for (int i = 0; i < 3; ++i)
        window.ZipMaster1Progress(output::ProgressStep, " ", 0);
    EXPECT_EQ(window.ProgressBar1->value(), 3);
    window.ZipMaster1Progress(output::ProgressFileBegins, "b", 1000);
    EXPECT_EQ(window.ProgressBar1->maximum(), 1);
    EXPECT_EQ(window.ProgressBar1->value(), 1);
    window.ZipMaster1Progress(output::ProgressBatchEnds, " ", 0);
    EXPECT_EQ(window.ProgressBar1->maximum(), 10);
    EXPECT_EQ(window.ProgressBar1->value(), 1);
}

} // namespace
} // namespace cinevaro::ui
