// A main window on a small catalogue of six films, for the filter, technical-panel and loan
// tests: the catalogue file is written first, then TfrmBase reopens it as at start-up.
#pragma once

#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QString>
#include <QTreeWidget>

#include <memory>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/TfrmBase.h"
#include "ui/kit/Text.h"

namespace cinevaro::testing {

struct FilmRow
{
    const char* titre;
    const char* real;
    const char* genre;
    const char* acteur;
    const char* support;
    const char* nomemp = "";
    const char* datemp = "";
};

class MainWindowFilms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalogue::Settings settings(catalogue::Settings::defaultPath(dir.path().string() + "/"));
        catalogue::CatalogueState maker;
        catalogue::commitNames(maker, dir.file("films.cvo"));
        ASSERT_TRUE(catalogue::CreateCatalogueFile(maker, &settings).ok);
        const FilmRow films[] = {
            {"Alien", "Ridley Scott", "Science-fiction", "Sigourney Weaver;Tom Skerritt", "DVD"},
            {"Blade Runner", "Ridley SCOTT", "Science-fiction", "Harrison Ford;Sean Young", "DivX"},
            {"Brazil", "Terry Gilliam", "Comédie", "Jonathan Pryce;Robert De Niro", "VHS", "Paul", "01/02/2026"},
            {"Casino", "Martin Scorsese", "Drame", "Robert De Niro;Sharon Stone", "DVD"},
            {"Sans Réalisateur", "", "Drame", "", "DVD"},
            {"Zorro", "Émile Durand", "Drame", "Alain Delon", "Laserdisc"},
        };
        for (const auto& f : films) {
            catalogue::appendFilmRow(maker);
            auto& t = maker.table();
            t.SetValue("TITRE", table::cp(f.titre));
            t.SetValue("RESERVE1", table::cp(f.titre));
            t.SetValue("REAL", table::cp(f.real));
            t.SetValue("GENRE", table::cp(f.genre));
            t.SetValue("ACTEUR", table::cp(f.acteur));
            t.SetValue("RESERVE0", f.support);
            t.SetValue("DATE", "1980");
            t.SetValue("NOMEMP", f.nomemp);
            t.SetValue("DATEMP", f.datemp);
            t.SetFloat("IFEMP", *f.nomemp ? 1 : 0);
        }
        for (int row = 1; row <= maker.table().RowCount(); ++row)
            maker.table().SetCell(maker.table().FieldIndex("LISTEMP"), row, "Anne;Paul");
        ASSERT_TRUE(catalogue::saveCatalogue(maker).ok);

        window = std::make_unique<ui::TfrmBase>(state, prompts, dir.path().string() + "/");
        window->createSecondaryWindows();
        window->resize(900, 620);
        window->show();
    }
    void TearDown() override { EXPECT_TRUE(prompts.allAnswered()); }

    QTreeWidgetItem* node(const QString& caption)
    {
        const auto found = window->TreeFilm->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    void select(const QString& caption)
    {
        QTreeWidgetItem* item = node(caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        window->TreeFilm->setCurrentItem(item);
    }
    // Captions of the film nodes, in tree order.
    QStringList films() const
    {
        QStringList captions;
        for (QTreeWidgetItemIterator it(window->TreeFilm); *it; ++it) {
            if ((*it)->parent() && (*it)->parent() != window->TreeFilm->rootNode())
                captions << (*it)->text(0);
        }
        return captions;
    }
    int supportBranches() const
    {
        return window->TreeFilm->rootNode() ? window->TreeFilm->rootNode()->childCount() : 0;
    }
    // Row of a film in the catalogue as reopened by the window.
    int row(const QString& caption)
    {
        const auto& t = state.table();
        for (int n = 1; n <= t.RowCount(); ++n)
            if (ui::fromCp(t.GetCell(catalogue::posRESERVE1, n)) == caption)
                return n;
        return 0;
    }
    table::TMlb2 reread()
    {
        table::TMlb2 t;
        EXPECT_TRUE(t.LoadFromFile(state.CatalogueFileName));
        return t;
    }
    static void grab(QWidget& widget, const QString& name)
    {
        const QString folder = QStringLiteral(CINEVARO_BUILD_DIR "/screenshots");
        QDir().mkpath(folder);
        EXPECT_TRUE(widget.grab().save(folder + QLatin1Char('/') + name));
    }

    TempDir dir;
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<ui::TfrmBase> window;
};

} // namespace cinevaro::testing
