#include "ui/weblookup/TfrmRecherche.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "ui/Prompts.h"
#include "ui/kit/TParamCheckList.h"
#include "ui/kit/Text.h"
#include "ui/weblookup/TfrmEtat.h"
#include "weblookup/HttpClient.h"
#include "weblookup/ImportList.h"
#include "weblookup/Importer.h"

namespace cinevaro::ui {

namespace markup = weblookup::markup;

namespace {

// Applies a markup operation of the core to an item's text.
template <typename Op> QString onMarkup(const QString& text, Op op)
{
    return fromCp(op(toCp(text).value_or(std::string())));
}

} // namespace

TfrmRecherche::TfrmRecherche(catalogue::CatalogueState& state, catalogue::Settings& settings, Prompts& prompts,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_settings(settings), m_prompts(prompts), m_http(std::make_unique<weblookup::HttpClient>()),
      m_openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmRecherche"));
    setWindowTitle(QStringLiteral("Recherche de films sur le site Moviecovers"));
    buildLayout();

    // Enter in the search box reaches the default button "Chercher": one search per Enter.
    connect(btnCherche, &QPushButton::clicked, this, &TfrmRecherche::btnChercheClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmRecherche::btnAddClick);
    connect(btnClear, &QPushButton::clicked, this, &TfrmRecherche::btnClearClick);
    connect(brnFerme, &QPushButton::clicked, this, &TfrmRecherche::brnFermeClick);
    connect(chkClose, &QCheckBox::clicked, this, &TfrmRecherche::chkCloseClick);
    connect(PCheckListBox, &TParamCheckList::paramPopup, this, &TfrmRecherche::PCheckListBoxParamPopup);
    connect(PCheckListBox, &TParamCheckList::paramSelect, this, &TfrmRecherche::PCheckListBoxParamSelect);
    connect(PCheckListBox, &TParamCheckList::checkClick, this, &TfrmRecherche::PCheckListBoxCheckClick);
    connect(PCheckListBox, &TParamCheckList::paramHint, this, &TfrmRecherche::PCheckListBoxParamHint);

    m_http->OnWorkBegin = [this](std::int64_t length) { IdHTTP1WorkBegin(length); };
    m_http->OnWork = [this](std::int64_t received) { IdHTTP1Work(received); };
    m_http->OnWorkEnd = [this] { IdHTTP1WorkEnd(); };
    m_http->OnIdle = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); };
}

TfrmRecherche::~TfrmRecherche() = default;

std::optional<QString> TfrmRecherche::applyProxySettings()
{
    auto proxy = weblookup::proxyFromSettings(m_settings);
    if (!proxy)
        return fromCp(proxy.message());
    m_http->setProxy(proxy->server, proxy->port);
    return std::nullopt;
}

void TfrmRecherche::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Restoring a minimised window sends a spontaneous show: the results and chosen supports stay.
    if (event->spontaneous())
        return;
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
}

void TfrmRecherche::setProgressWindow(TfrmEtat* etat)
{
    m_etat = etat;
    if (m_etat)
        connect(m_etat, &TfrmEtat::cancelRequested, this, [this] {
            if (m_busy)
                cancelFetch();
            else
                m_etat->hide();
        });
}

void TfrmRecherche::reject()
{
    // Closing while a fetch runs cancels it; the window closes once the handler has finished, so
    // it never runs on behind a hidden window.
    if (m_busy) {
        m_closeRequested = true;
        cancelFetch();
        return;
    }
    QDialog::reject();
}

void TfrmRecherche::cancelFetch()
{
    m_http->Cancel();
    if (m_etat && m_etat->isVisible())
        m_etat->setText(QStringLiteral("Annulation en cours..."));
}

void TfrmRecherche::finishPendingClose()
{
    if (!m_closeRequested)
        return;
    m_closeRequested = false;
    QDialog::reject();
}

bool TfrmRecherche::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRecherche::FormActivate()
{
    cmbCherche->setCurrentIndex(0);
    if (m_settings.readBool("CONNEXION", "PROXY", false))
        applyProxySettings(); // a bad port was reported when the window was opened
    chkClose->setChecked(m_settings.readBool("GENERAL", "CLOSEFIND", false));
    PCheckListBox->clear();
    Edit1->clear();
    Edit1->setFocus();
    updateListButtons();
}

weblookup::SearchBy TfrmRecherche::searchBy() const
{
    switch (cmbCherche->currentIndex()) {
    case 1:
        return weblookup::SearchBy::Acteur;
    case 2:
        return weblookup::SearchBy::Real;
    default:
        return weblookup::SearchBy::Titre;
    }
}

weblookup::MatchKind TfrmRecherche::matchKind() const
{
    if (rdPart->isChecked())
        return weblookup::MatchKind::Partiel;
    if (rdPhone->isChecked())
        return weblookup::MatchKind::Phonetique;
    return weblookup::MatchKind::Exact;
}

void TfrmRecherche::btnChercheClick()
{
    if (m_busy)
        return;
    QString message;
    auto text = toCp(Edit1->text(), &message);
    if (!text) {
        m_prompts.error(message);
        return;
    }
    PCheckListBox->clear();
    showProgress(fromCp(weblookup::searchProgressText(*text)));
    setBusy(true);
    auto found = weblookup::runSearch(*m_http, weblookup::serviceRoot(m_settings), searchBy(), matchKind(), *text);
    setBusy(false);
    showSearchOutcome(std::move(found));
}

void TfrmRecherche::showSearchOutcome(catalogue::Result<std::vector<weblookup::SearchResult>> found)
{
    if (found) {
        closeProgress(true);
        m_results = std::move(*found);
        m_resultCount = static_cast<int>(m_results.size());
        showResults();
    } else {
        closeProgress(false);
        updateListButtons();
        m_prompts.error(fromCp(found.message()));
    }
    finishPendingClose(); // asked for as the page arrived
}

void TfrmRecherche::showResults()
{
    PCheckListBox->clear();
    for (int i = 0; i < m_resultCount; ++i)
        PCheckListBox->addMarkupItem(fromCp(markup::itemText(i + 1, m_results[i].title)));
    nbrFilm->setText(m_resultCount == 0 ? QStringLiteral("Aucun Film Trouvé") : QString::number(m_resultCount));
    updateListButtons();
}

void TfrmRecherche::updateListButtons()
{
    bool any = PCheckListBox->count() > 0;
    btnAdd->setEnabled(any);
    btnClear->setEnabled(any);
}

void TfrmRecherche::btnAddClick()
{
    if (m_busy || PCheckListBox->count() == 0)
        return;
    const auto items = weblookup::importItems(m_results, listedChoices());
    bool shown = false; // the wait cursor and the progress window are up
    setBusy(true);
    const auto result =
        weblookup::importSelection(m_state, *m_http, weblookup::serviceRoot(m_settings), items, importHooks(shown));
    setBusy(false);
    if (shown)
        QApplication::restoreOverrideCursor();
    showImportResult(result, shown);
}

std::vector<weblookup::ListedChoice> TfrmRecherche::listedChoices() const
{
    std::vector<weblookup::ListedChoice> lines;
    for (int i = 0; i < PCheckListBox->count(); ++i) {
        const QString support = PCheckListBox->paramText(i, fromCp(markup::supportHref(i + 1))).value_or(QString());
        lines.push_back({PCheckListBox->isChecked(i), toCp(support).value_or(std::string())});
    }
    return lines;
}

weblookup::ImportHooks TfrmRecherche::importHooks(bool& shown)
{
    weblookup::ImportHooks hooks;
    hooks.progress = [this, &shown](const std::string& text) {
        if (!shown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        shown = true;
        showProgress(fromCp(text));
    };
    hooks.confirmDuplicate = [this](const std::string& name) {
        return m_prompts.question(QStringLiteral("Confirmation"), fromCp(weblookup::duplicateQuestion(name)));
    };
    hooks.filmDone = [this] {
        if (m_refreshTree)
            m_refreshTree();
    };
    return hooks;
}

void TfrmRecherche::showImportResult(const weblookup::ImportResult& result, bool progressShown)
{
    if (result.refused)
        m_prompts.errorBox(fromCp(result.outcome.caption), fromCp(result.outcome.message), Prompts::Modality::System);
    else if (!result.outcome)
        showImportFailure(fromCp(result.outcome.message));
    else
        showImportDone(result.notices, progressShown);
}

void TfrmRecherche::showImportFailure(const QString& message)
{
    closeProgress(false);
    m_prompts.error(message);
    finishPendingClose();
}

void TfrmRecherche::showImportDone(const std::vector<std::string>& notices, bool progressShown)
{
    if (progressShown)
        closeProgress(true);
    for (const auto& notice : notices)
        m_prompts.warning(QStringLiteral("Cinevaro"), fromCp(notice));
    if (m_settings.readBool("GENERAL", "CLOSEFIND", false))
        brnFermeClick();
    finishPendingClose(); // asked for as the last film arrived
}

void TfrmRecherche::btnClearClick()
{
    PCheckListBox->clear();
    updateListButtons();
}

void TfrmRecherche::brnFermeClick()
{
    if (m_busy)
        return;
    accept();
    m_state.table().RemoveDuplicates();
}

void TfrmRecherche::chkCloseClick()
{
    m_settings.writeBool("GENERAL", "CLOSEFIND", chkClose->isChecked());
}

void TfrmRecherche::Image1Click()
{
    if (m_openUrl)
        m_openUrl(QUrl(fromCp(weblookup::serviceRoot(m_settings))));
}

void TfrmRecherche::PCheckListBoxParamPopup(int index, const QString& href, QStringList& values, bool& show)
{
    if (href != fromCp(markup::supportHref(index + 1)))
        return;
    for (const auto& name : catalogueSupports())
        values << fromCp(name);
    show = true;
}

void TfrmRecherche::PCheckListBoxParamSelect(int index, const QString& /*value*/, const QString& /*href*/)
{
    if (index < 0 || index >= PCheckListBox->count())
        return;
    PCheckListBox->setChecked(index, true);
    PCheckListBox->setItemMarkup(index, onMarkup(PCheckListBox->itemMarkup(index), markup::highlighted));
    int ticked = 0;
    for (int i = 0; i < PCheckListBox->count(); ++i) {
        if (PCheckListBox->isChecked(i) && ++ticked == 4)
            m_prompts.warning(QStringLiteral("Attention"),
                              QStringLiteral("Evitez de Selectionner plus de 4 films sinon MovieCovers sature"));
    }
}

void TfrmRecherche::PCheckListBoxCheckClick(int /*index*/)
{
    const auto supports = catalogueSupports();
    for (int i = 0; i < PCheckListBox->count(); ++i) {
        QString text = PCheckListBox->itemMarkup(i);
        if (PCheckListBox->isChecked(i)) {
            text = onMarkup(text, markup::highlighted);
        } else {
            text = onMarkup(text, [&](const std::string& t) {
                return markup::withoutSupport(markup::unhighlighted(t), i + 1, supports);
            });
        }
        PCheckListBox->setItemMarkup(i, text);
    }
    PCheckListBox->viewport()->update();
}

std::vector<std::string> TfrmRecherche::catalogueSupports()
{
    // A header row without a support list (or no header row: its cell reads as empty) stands for
    // the default list, as opening a catalogue fills such rows; the names parsed from a catalogue
    // read earlier are never offered.
    if (m_state.table().GetCell(catalogue::posRESERVE2, 1).empty())
        catalogue::resetDefaultSupports(m_state);
    else
        catalogue::ParseSupportList(m_state);
    return m_state.supportNames();
}

void TfrmRecherche::PCheckListBoxParamHint(int /*index*/, const QString& /*href*/, QString& hint, bool& /*show*/)
{
    hint.clear();
}

void TfrmRecherche::IdHTTP1WorkBegin(std::int64_t length)
{
    if (m_etat)
        m_etat->workBegin(length);
}

void TfrmRecherche::IdHTTP1Work(std::int64_t received)
{
    if (m_etat)
        m_etat->work(received);
}

void TfrmRecherche::IdHTTP1WorkEnd()
{
    if (m_etat)
        m_etat->workEnd();
}

void TfrmRecherche::setBusy(bool busy)
{
    if (busy) {
        m_closeRequested = false;
        m_http->setDeadlineMs(weblookup::fetchDeadlineMs(m_settings));
    }
    m_busy = busy;
    m_body->setEnabled(!busy);
}

void TfrmRecherche::showProgress(const QString& text)
{
    if (m_etat)
        m_etat->showProgress(text);
}

void TfrmRecherche::closeProgress(bool reset)
{
    bool wasShown = m_etat && m_etat->isVisible();
    if (m_etat)
        m_etat->hide();
    if (reset && (wasShown || !m_etat))
        FormActivate();
}

} // namespace cinevaro::ui
