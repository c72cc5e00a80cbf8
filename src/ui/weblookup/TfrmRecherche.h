// The web search window: looks films up on the film service by title, actor or director, lists
// the results as a check list whose items carry a support parameter, and imports the ticked
// films into the open catalogue. Created once and shown modally for each automatic addition.
#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "weblookup/ImportList.h"
#include "weblookup/SearchPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace cinevaro::catalogue {
class CatalogueState;
class Settings;
} // namespace cinevaro::catalogue

namespace cinevaro::weblookup {
class HttpClient;
}

namespace cinevaro::ui {

class Prompts;
class TfrmEtat;
class TParamCheckList;

class TfrmRecherche : public QDialog
{
    Q_OBJECT

public:
    TfrmRecherche(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts,
                  QWidget* parent = nullptr);
    ~TfrmRecherche() override;

    // The progress window (created after this one) and the tree refresh of the main window.
    // Closing the progress window cancels the running fetch.
    void setProgressWindow(TfrmEtat* etat);
    void setRefreshTree(std::function<void()> refresh) { m_refreshTree = std::move(refresh); }
    // Opens the logo's address; the default asks the desktop's browser.
    void setUrlOpener(std::function<void(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    // The web service's logo shown at the top left.
    static QPixmap logoPixmap();

    weblookup::HttpClient& http() { return *m_http; }
    // Sets the client's proxy from the settings (a direct connection when CONNEXION/PROXY is
    // false). Returns the message to show when CONNEXION/PROXYPORT is not an integer.
    std::optional<QString> applyProxySettings();

    const std::vector<weblookup::SearchResult>& searchResults() const { return m_results; }
    int resultCount() const { return m_resultCount; }
    bool isBusy() const { return m_busy; }

    // Controls (object names are the historical control names).
    QComboBox* cmbCherche = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* btnCherche = nullptr;
    QRadioButton* rdExact = nullptr;
    QRadioButton* rdPart = nullptr;
    QRadioButton* rdPhone = nullptr;
    QLabel* Image1 = nullptr;
    TParamCheckList* PCheckListBox = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* nbrFilm = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAdd = nullptr;
    QCheckBox* chkClose = nullptr;
    QPushButton* brnFerme = nullptr;

    // Closing by the title bar or Escape. While a fetch runs, it is cancelled (within a few
    // milliseconds, from the client's idle call), the user is told, and the window then closes.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    // Logo, search kind, text, "Chercher" and the match kinds.
    QLayout* buildSearchArea();
    QWidget* buildResultList();
    QLayout* buildCountRow();
    // The list's buttons, the automatic close and "Fermer".
    QLayout* buildButtonRow();

    // Handlers.
    void FormActivate();
    void btnChercheClick();
    // The results listed, or the failure shown; then the closing asked for during the search.
    void showSearchOutcome(catalogue::Result<std::vector<weblookup::SearchResult>> found);
    void btnAddClick();
    // The results list's lines: ticked or not, and their supports.
    std::vector<weblookup::ListedChoice> listedChoices() const;
    // Progress, duplicate question and tree refresh during an import; `shown` turns true once
    // the wait cursor and the progress window are up.
    weblookup::ImportHooks importHooks(bool& shown);
    // Refusal, failure or notices of an import, then the closing the user asked for.
    void showImportResult(const weblookup::ImportResult& result, bool progressShown);
    // The import stopped: the progress goes, the reason is shown.
    void showImportFailure(const QString& message);
    // The import went through: its notices, then the closing the settings ask for.
    void showImportDone(const std::vector<std::string>& notices, bool progressShown);
    void btnClearClick();
    void brnFermeClick();
    void chkCloseClick();
    void Image1Click();
    void PCheckListBoxParamPopup(int index, const QString& href, QStringList& values, bool& show);
    void PCheckListBoxParamSelect(int index, const QString& value, const QString& href);
    void PCheckListBoxCheckClick(int index);
    void PCheckListBoxParamHint(int index, const QString& href, QString& hint, bool& show);
    void IdHTTP1WorkBegin(std::int64_t length);
    void IdHTTP1Work(std::int64_t received);
    void IdHTTP1WorkEnd();

    // The support list of the open catalogue, parsed again from its header row.
    std::vector<std::string> catalogueSupports();
    weblookup::SearchBy searchBy() const;
    weblookup::MatchKind matchKind() const;
    void showResults();
    void updateListButtons();
    // Controls disabled while a fetch runs; applies the settings' deadline to the client.
    void setBusy(bool busy);
    // Stops the running fetch (the progress window or this one was closed).
    void cancelFetch();
    // After a fetch that ended with a close request: the window closes.
    void finishPendingClose();
    void showProgress(const QString& text);
    // Closes the progress window; `reset` runs the window reset as activation comes back.
    void closeProgress(bool reset);

    catalogue::CatalogueState& m_state;
    catalogue::Settings& m_settings;
    Prompts& m_prompts;
    std::unique_ptr<weblookup::HttpClient> m_http;
    TfrmEtat* m_etat = nullptr;
    std::function<void()> m_refreshTree;
    std::function<void(const QUrl&)> m_openUrl;
    std::vector<weblookup::SearchResult> m_results;
    int m_resultCount = 0;
    bool m_busy = false;
    bool m_closeRequested = false;
    QWidget* m_body = nullptr;
};

} // namespace cinevaro::ui
