// Cancelling a fetch from the windows: closing the search window or the progress window stops a
// stalled search or download within a second, leaves nothing half-written and says so, while the
// windows keep processing their events; the overall deadline comes from the settings.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/FakeFilmService.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "ui/kit/TParamCheckList.h"
#include "ui/kit/Text.h"
#include "ui/weblookup/TfrmEtat.h"
#include "ui/weblookup/TfrmRecherche.h"
#include "weblookup/HttpClient.h"
#include "weblookup/Importer.h"

namespace cinevaro::ui {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class FetchCancelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings = std::make_unique<catalogue::Settings>(dir.file("Cinevaro.ini"));
        settings->writeString("CONNEXION", "SITEWEB", service.rootAddress());
        ASSERT_TRUE(catalogue::newCatalogue(state, dir.file("films.cvo"), nullptr).ok);
        catalogue::ParseSupportList(state);
        form = std::make_unique<TfrmRecherche>(state, *settings, prompts);
        etat = std::make_unique<TfrmEtat>();
        form->setProgressWindow(etat.get());
        form->show();
    }

    void search(const QString& text)
    {
        form->Edit1->setText(text);
        QTest::mouseClick(form->btnCherche, Qt::LeftButton);
    }

    // The search's first film ticked for import on DVD, its archive stalling after 100 bytes.
    void tickTheFirstFilmWithAStalledArchive()
    {
        search(QString());
        ASSERT_GE(form->PCheckListBox->count(), 1);
        form->PCheckListBox->setCurrentRow(0);
        form->PCheckListBox->chooseParamValue(0, QStringLiteral("Support1"), QStringLiteral("DVD"));
        const auto film = service.films()[0];
        auto stalled = testing::FakeResponse::html(testing::FakeFilmService::filmArchive(film));
        stalled.stallAfter = 100;
        service.setOverride(testing::FakeFilmService::archivePath(film), stalled);
    }

    std::vector<std::string> collectionFiles() const
    {
        std::vector<std::string> names;
        if (fs::exists(state.CollectionFolder))
            for (const auto& e : fs::directory_iterator(state.CollectionFolder))
                names.push_back(e.path().filename().string());
        return names;
    }

    testing::TempDir dir;
    testing::FakeFilmService service;
    testing::ScriptedPrompts prompts;
    catalogue::CatalogueState state;
    std::unique_ptr<catalogue::Settings> settings;
    std::unique_ptr<TfrmRecherche> form;
    std::unique_ptr<TfrmEtat> etat;
};

TEST_F(FetchCancelTest, ClosingTheSearchWindowStopsAStalledSearch)
{
    // The service never answers; before, the window refused to close and the fetch ran on.
    service.setOverride("/multicrit.html", testing::FakeResponse::rawBytes("", true));
    settings->writeInteger("CONNEXION", "DELAI", 20); // a frozen window fails in 20 s, not never
    PaintCounter counter;
    etat->progressBar()->installEventFilter(&counter);
    // Timers keep firing and the progress window keeps repainting during the wait; after a few
    // such rounds the user closes the search window.
    QTimer repaint;
    int busyTicks = 0;
    Clock::time_point closedAt;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
        if (!form->isBusy())
            return;
        etat->progressBar()->repaint();
        if (++busyTicks == 8) {
            closedAt = Clock::now();
            form->close();
        }
    });
    repaint.start(20);
    search(QStringLiteral("phare"));
    const auto stopped = Clock::now() - closedAt;
    repaint.stop();
    ASSERT_GE(busyTicks, 8);
    EXPECT_GE(counter.paints, 8);
    EXPECT_LT(stopped, std::chrono::seconds(1));
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{fromCp(weblookup::cancelledMessage()) + QStringLiteral(".")});
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(etat->isVisible());
    EXPECT_FALSE(form->http().busy());
}

TEST_F(FetchCancelTest, CancelInTheProgressWindowStopsADownloadAndKeepsNothing)
{
    tickTheFirstFilmWithAStalledArchive();
    const auto before = collectionFiles();
    Clock::time_point clickedAt;
    bool clicked = false;
    std::function<void()> clickWhenDownloading = [&] {
        if (service.requestCount() >= 3 && etat->isVisible()) {
            clicked = true;
            clickedAt = Clock::now();
            QTest::mouseClick(etat->btnAnnuler(), Qt::LeftButton);
            return;
        }
        QTimer::singleShot(20, clickWhenDownloading);
    };
    QTimer::singleShot(20, clickWhenDownloading);
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    ASSERT_TRUE(clicked);
    EXPECT_LT(Clock::now() - clickedAt, std::chrono::seconds(1));
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{fromCp(weblookup::cancelledMessage()) + QStringLiteral(".")});
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(collectionFiles(), before);
    EXPECT_FALSE(etat->isVisible());
    // Only the transfer stopped: the search window stays open and usable.
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->btnCherche->isEnabled());
}

// Closing the search window while an import downloads stops the import, keeps nothing of it, and
// the window closes once the import has ended.
TEST_F(FetchCancelTest, ClosingTheSearchWindowDuringAnImportStopsItAndCloses)
{
    tickTheFirstFilmWithAStalledArchive();
    const auto before = collectionFiles();
    bool closed = false;
    std::function<void()> closeWhenDownloading = [&] {
        if (service.requestCount() >= 3 && etat->isVisible()) {
            closed = true;
            form->close();
            return;
        }
        QTimer::singleShot(20, closeWhenDownloading);
    };
    QTimer::singleShot(20, closeWhenDownloading);
    QTest::mouseClick(form->btnAdd, Qt::LeftButton);
    ASSERT_TRUE(closed);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{fromCp(weblookup::cancelledMessage()) + QStringLiteral(".")});
    EXPECT_EQ(state.table().RowCount(), 1);
    EXPECT_EQ(collectionFiles(), before);
    EXPECT_FALSE(etat->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->http().busy());
}

TEST_F(FetchCancelTest, DeadlineComesFromTheSettings)
{
    search(QString());
    EXPECT_EQ(form->http().deadlineMs(), weblookup::kDefaultFetchSeconds * 1000);
    settings->writeInteger("CONNEXION", "DELAI", 1);
    search(QString());
    EXPECT_EQ(form->http().deadlineMs(), weblookup::kDefaultFetchSeconds * 1000); // too short: default
    settings->writeInteger("CONNEXION", "DELAI", 30);
    search(QString());
    EXPECT_EQ(form->http().deadlineMs(), 30000);
}

TEST_F(FetchCancelTest, ProgressWindowScreenshot)
{
    etat->showProgress(QStringLiteral("Extraction de la fiche de : Le Phare du Nord (1987)"));
    etat->workBegin(1000);
    etat->work(400);
    const QString path = QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/screenshots/TfrmEtatAnnuler.png");
    fs::create_directories(fs::path(path.toStdString()).parent_path());
    EXPECT_TRUE(etat->grab().save(path));
    // Escape with no transfer running just hides the window.
    QTest::keyClick(etat.get(), Qt::Key_Escape);
    EXPECT_FALSE(etat->isVisible());
}

// Shown again after a transfer, the progress window's bar starts empty.
TEST_F(FetchCancelTest, ProgressWindowShownAgainStartsEmpty)
{
    etat->showProgress(QStringLiteral("Recherche"));
    etat->workBegin(1000);
    etat->work(400);
    ASSERT_GT(etat->progressBar()->value(), 0);
    etat->hide();
    etat->show();
    EXPECT_EQ(etat->progressBar()->value(), 0);
    etat->hide();
}

} // namespace
} // namespace cinevaro::ui
