#include "ui/TfrmRecherche.h"

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
#include "ui/TfrmEtat.h"
#include "ui/kit/TParamCheckList.h"
#include "ui/kit/Text.h"
#include "weblookup/HttpClient.h"
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

void TfrmRecherche::buildLayout()
{
    m_body = new QWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_body);
    auto* main = new QVBoxLayout(m_body);

    Image1 = new QLabel(m_body);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(logoPixmap());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    cmbCherche = new QComboBox(m_body);
    cmbCherche->setObjectName(QStringLiteral("cmbCherche"));
    cmbCherche->addItems({QStringLiteral("Rechercher par Titre"), QStringLiteral("Rechercher par Acteur (trice)"),
                          QStringLiteral("Rechercher par Réalisateur (trice)")});
    Label2 = new QLabel(QStringLiteral("Nom du Film à Rechercher :"), m_body);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(m_body);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label2->setBuddy(Edit1);
    btnCherche = new QPushButton(QStringLiteral("Chercher"), m_body);
    btnCherche->setObjectName(QStringLiteral("btnCherche"));
    btnCherche->setDefault(true);
    rdExact = new QRadioButton(QStringLiteral("Phrase Exact"), m_body);
    rdExact->setObjectName(QStringLiteral("rdExact"));
    rdExact->setChecked(true);
    rdPart = new QRadioButton(QStringLiteral("Partiel"), m_body);
    rdPart->setObjectName(QStringLiteral("rdPart"));
    rdPhone = new QRadioButton(QStringLiteral("Phonétique "), m_body);
    rdPhone->setObjectName(QStringLiteral("rdPhone"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Edit1, 1);
    searchRow->addWidget(btnCherche);
    auto* matchRow = new QHBoxLayout;
    matchRow->addWidget(rdExact);
    matchRow->addWidget(rdPart);
    matchRow->addWidget(rdPhone);
    matchRow->addStretch(1);
    auto* searchBox = new QVBoxLayout;
    searchBox->addWidget(cmbCherche);
    searchBox->addWidget(Label2);
    searchBox->addLayout(searchRow);
    searchBox->addLayout(matchRow);
    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(searchBox, 1);
    main->addLayout(top);

    PCheckListBox = new TParamCheckList(m_body);
    PCheckListBox->setObjectName(QStringLiteral("PCheckListBox"));
    PCheckListBox->setItemHeight(18);
    PCheckListBox->setParamColor(Qt::blue);
    main->addWidget(PCheckListBox, 1);

    Label1 = new QLabel(QStringLiteral("Nombre de films trouvé: "), m_body);
    Label1->setObjectName(QStringLiteral("Label1"));
    nbrFilm = new QLabel(m_body);
    nbrFilm->setObjectName(QStringLiteral("nbrFilm"));
    auto* countRow = new QHBoxLayout;
    countRow->setSpacing(0);
    countRow->addWidget(Label1);
    countRow->addWidget(nbrFilm);
    countRow->addStretch(1);
    main->addLayout(countRow);

    btnClear = new QPushButton(QStringLiteral("Effacer Liste"), m_body);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setAutoDefault(false);
    btnAdd = new QPushButton(QStringLiteral("Ajouter Selection"), m_body);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setAutoDefault(false);
    btnAdd->setEnabled(false);
    chkClose = new QCheckBox(QStringLiteral("Fermeture Auto après Ajout des Fiches."), m_body);
    chkClose->setObjectName(QStringLiteral("chkClose"));
    brnFerme = new QPushButton(QStringLiteral("Fermer"), m_body);
    brnFerme->setObjectName(QStringLiteral("brnFerme"));
    brnFerme->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addWidget(btnAdd);
    buttons->addSpacing(12);
    buttons->addWidget(chkClose);
    buttons->addStretch(1);
    buttons->addWidget(brnFerme);
    main->addLayout(buttons);

    resize(600, 480);
}

QPixmap TfrmRecherche::logoPixmap() const
{
    QPixmap pixmap(150, 90);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x20, 0x30, 0x60));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 148, 88), 10, 10);
    painter.setBrush(QColor(0xFF, 0xCC, 0x33));
    for (int i = 0; i < 5; ++i)
        painter.drawRect(12 + i * 26, 8, 14, 8);
    QFont font = painter.font();
    font.setBold(true);
    font.setPointSize(13);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 20, 150, 40), Qt::AlignCenter, QStringLiteral("Moviecovers"));
    font.setBold(false);
    font.setPointSize(8);
    painter.setFont(font);
    painter.setPen(QColor(0xFF, 0xCC, 0x33));
    painter.drawText(QRect(0, 56, 150, 24), Qt::AlignCenter, QStringLiteral("fiches et jaquettes"));
    return pixmap;
}

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
    showProgress(QStringLiteral("Veuillez patienter, Recherche de \" ") + Edit1->text() +
                 QStringLiteral(" \" en Cours... "));
    setBusy(true);
    auto found = weblookup::runSearch(*m_http, weblookup::serviceRoot(m_settings), searchBy(), matchKind(), *text);
    setBusy(false);
    if (!found) {
        closeProgress(false);
        updateListButtons();
        m_prompts.error(fromCp(found.message()));
        finishPendingClose();
        return;
    }
    closeProgress(true);
    m_results = std::move(*found);
    m_resultCount = static_cast<int>(m_results.size());
    showResults();
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
    std::vector<weblookup::ImportItem> items;
    for (int i = 0; i < PCheckListBox->count(); ++i) {
        weblookup::ImportItem item;
        item.ticked = PCheckListBox->isChecked(i);
        item.support = toCp(PCheckListBox->paramText(i, fromCp(markup::supportHref(i + 1))).value_or(QString()))
                           .value_or(std::string());
        if (i < static_cast<int>(m_results.size())) {
            item.pageAddress = m_results[i].pageAddress;
            item.listedTitle = m_results[i].title;
        }
        items.push_back(std::move(item));
    }
    bool shown = false;
    weblookup::ImportHooks hooks;
    hooks.progress = [&](const std::string& text) {
        if (!shown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        shown = true;
        showProgress(fromCp(text));
    };
    hooks.confirmDuplicate = [this](const std::string& name) {
        return m_prompts.question(QStringLiteral("Confirmation"),
                                  QStringLiteral("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de "
                                                 "vouloir ajouter ") +
                                      fromCp(name) + QStringLiteral(" ?"));
    };
    hooks.filmDone = [this] {
        if (m_refreshTree)
            m_refreshTree();
    };
    setBusy(true);
    auto result = weblookup::importSelection(m_state, *m_http, weblookup::serviceRoot(m_settings), items, hooks);
    setBusy(false);
    if (shown)
        QApplication::restoreOverrideCursor();
    if (result.refused) {
        m_prompts.errorBox(fromCp(result.outcome.caption), fromCp(result.outcome.message), Prompts::Modality::System);
        return;
    }
    if (!result.outcome) {
        closeProgress(false);
        m_prompts.error(fromCp(result.outcome.message));
        finishPendingClose();
        return;
    }
    if (shown)
        closeProgress(true);
    for (const auto& notice : result.notices)
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
    // A header row without a support list stands for the default list, as opening a catalogue
    // fills such rows; the names parsed from a catalogue read earlier are never offered.
    const auto& t = m_state.table();
    if (t.RowCount() < 1 || t.GetCell(catalogue::posRESERVE2, 1).empty())
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
