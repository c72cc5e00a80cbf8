#include "ui/catalogue/TfrmConf.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "catalogue/Settings.h"
#include "table/Cp1252.h"
#include "ui/kit/ColourBox.h"
#include "ui/kit/Fit.h"
#include "ui/kit/OfficeStyle.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

constexpr int kDefaultTree = 15780518;
constexpr int kDefaultTitre = 15793151;
constexpr int kDefaultTextTitre = 16711680;
constexpr int kDefaultZone = 16776960;

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

ColourBox* colourBox(QWidget* parent, const char* name)
{
    auto* box = new ColourBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// Text typed in an edit box as Windows-1252; characters the code page cannot hold are dropped.
std::string cpText(const QString& text)
{
    if (auto bytes = toCp(text))
        return *bytes;
    return table::cp(text.toStdString());
}

} // namespace

TfrmConf::TfrmConf(catalogue::Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), m_settings(settings)
{
    setObjectName(QStringLiteral("frmConf"));
    setWindowTitle(QStringLiteral("Configuration"));

    tabConf = new QTabWidget(this);
    tabConf->setObjectName(QStringLiteral("tabConf"));
    tabConf->setDocumentMode(true);
    tabConf->addTab(buildGeneralTab(), QStringLiteral("Général"));
    tabConf->addTab(buildInterfaceTab(), QStringLiteral("Interface"));
    tabConf->addTab(buildColoursTab(), QStringLiteral("Couleurs"));
    tabConf->addTab(buildConnectionTab(), QStringLiteral("Connexion"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabConf, 1);
    layout->addLayout(buildButtons());

    connect(btnOk, &QPushButton::clicked, this, &TfrmConf::btnOkClick);
    connect(btnApp, &QPushButton::clicked, this, &TfrmConf::btnAppClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmConf::btnCancelClick);
    connect(chkXP, &QCheckBox::clicked, this, &TfrmConf::chkXPClick);
    connect(chkProxy, &QCheckBox::clicked, this, &TfrmConf::chkProxyClick);
    connect(tabConf, &QTabWidget::currentChanged, this, &TfrmConf::tabConfChange);

    // FormCreate
    LoadConfiguration();
    // Its usual size, grown where the texts need more room at this font.
    setFixedSizeToFit(this, QSize(427, 324));
}

QWidget* TfrmConf::buildGeneralTab()
{
    auto* general = new QWidget(tabConf);
    auto* generalLayout = new QVBoxLayout(general);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Nom de la Racine :"), general));
    editNom = new QLineEdit(general);
    editNom->setObjectName(QStringLiteral("editNom"));
    nameRow->addWidget(editNom, 1);
    generalLayout->addLayout(nameRow);
    chkClose =
        checkBox(general, "chkClose", QStringLiteral("Fermer la fenêtre de Recheche après l'ajout de(s) fiche(s)"));
    generalLayout->addWidget(chkClose);
    generalLayout->addStretch(1);
    return general;
}

QWidget* TfrmConf::buildInterfaceTab()
{
    auto* interface = new QWidget(tabConf);
    auto* interfaceLayout = new QVBoxLayout(interface);
    auto* appearance = new QGroupBox(QStringLiteral("Apparence"), interface);
    auto* appearanceLayout = new QVBoxLayout(appearance);
    chkXP = checkBox(appearance, "chkXP", QStringLiteral("Activer Menu/Interface Style Office XP"));
    chkXPdeg = checkBox(appearance, "chkXPdeg", QStringLiteral("Menu XP Dégradé"));
    chkHot = checkBox(appearance, "chkHot", QStringLiteral("Activer Hot Track dans l'arborescence"));
    appearanceLayout->addWidget(chkXP);
    // The gradient belongs to the Office style: shown under it, indented.
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(chkXPdeg);
    appearanceLayout->addLayout(indented);
    appearanceLayout->addWidget(chkHot);
    interfaceLayout->addWidget(appearance);
    interfaceLayout->addStretch(1);
    return interface;
}

QWidget* TfrmConf::buildColoursTab()
{
    auto* colours = new QWidget(tabConf);
    auto* coloursLayout = new QFormLayout(colours);
    const struct
    {
        ColourBox** box;
        const char* name;
        const char* caption;
    } rows[] = {{&colorTree, "colorTree", "Couleur de l'Arborescence"},
                {&colorTitre, "colorTitre", "Couleur de la zone Titre"},
                {&colorTextTitre, "colorTextTitre", "Couleur Texte Titre"},
                {&colorZone, "colorZone", "Couleur des zones d'Information Film"}};
    for (const auto& row : rows) {
        *row.box = colourBox(colours, row.name);
        coloursLayout->addRow(QString::fromUtf8(row.caption), *row.box);
    }
    return colours;
}

QWidget* TfrmConf::buildConnectionTab()
{
    auto* connection = new QWidget(tabConf);
    auto* connectionLayout = new QVBoxLayout(connection);
    chkProxy = checkBox(connection, "chkProxy", QStringLiteral("Connexion via un Proxy"));
    connectionLayout->addWidget(chkProxy);
    auto* proxyForm = new QFormLayout;
    editPort = new QLineEdit(connection);
    editPort->setObjectName(QStringLiteral("editPort"));
    editPort->setMaximumWidth(70);
    editAdresse = new QLineEdit(connection);
    editAdresse->setObjectName(QStringLiteral("editAdresse"));
    proxyForm->addRow(QStringLiteral("Port :"), editPort);
    proxyForm->addRow(QStringLiteral("Adresse :"), editAdresse);
    connectionLayout->addLayout(proxyForm);
    connectionLayout->addStretch(1);
    return connection;
}

QLayout* TfrmConf::buildButtons()
{
    const auto make = [this](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    btnOk = make("btnOk", "OK");
    btnOk->setDefault(true);
    btnApp = make("btnApp", "Appliquer");
    btnCancel = make("btnCancel", "Annuler");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnApp);
    buttons->addWidget(btnCancel);
    return buttons;
}

void TfrmConf::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConf::FormShow()
{
    applyOwnSkin(m_settings.readBool("INTERFACE", "XPMENU", true));
    LoadConfiguration();
}

void TfrmConf::applyOwnSkin(bool active)
{
    applyOfficeStyle(this, active, false);
}

void TfrmConf::LoadConfiguration()
{
    editPort->setText(fromCp(m_settings.readString("CONNEXION", "PROXYPORT", "")));
    editAdresse->setText(fromCp(m_settings.readString("CONNEXION", "PROXYADRESSE", "")));
    chkProxy->setChecked(m_settings.readBool("CONNEXION", "PROXY", false));
    editNom->setText(fromCp(m_settings.readString("GENERAL", "NOMBASE", "Mes DivX's")));
    chkClose->setChecked(m_settings.readBool("GENERAL", "CLOSEFIND", false));
    chkXP->setChecked(m_settings.readBool("INTERFACE", "XPMENU", true));
    chkHot->setChecked(m_settings.readBool("INTERFACE", "HOTTRACK", true));
    chkXPdeg->setChecked(m_settings.readBool("INTERFACE", "XPDEG", true));
    chkXPdeg->setEnabled(chkXP->isChecked());
    for (const ColourSetting& colour : colourSettings())
        colour.box->setColourValue(
            static_cast<std::uint32_t>(m_settings.readInteger("COULEUR", colour.key, colour.fallback)));
    chkProxyClick();
}

std::array<TfrmConf::ColourSetting, 4> TfrmConf::colourSettings() const
{
    return {{{colorTree, "COULEURTREE", kDefaultTree},
             {colorTitre, "COULEURTITRE", kDefaultTitre},
             {colorZone, "COULEURZONE", kDefaultZone},
             {colorTextTitre, "COULEURTEXTETITRE", kDefaultTextTitre}}};
}

void TfrmConf::SaveConfiguration()
{
    m_settings.writeString("CONNEXION", "PROXYPORT", cpText(editPort->text()));
    m_settings.writeString("CONNEXION", "PROXYADRESSE", cpText(editAdresse->text()));
    m_settings.writeBool("CONNEXION", "PROXY", chkProxy->isChecked());
    m_settings.writeString("GENERAL", "NOMBASE", cpText(editNom->text()));
    m_settings.writeBool("GENERAL", "CLOSEFIND", chkClose->isChecked());
    m_settings.writeBool("INTERFACE", "XPMENU", chkXP->isChecked());
    m_settings.writeBool("INTERFACE", "HOTTRACK", chkHot->isChecked());
    m_settings.writeBool("INTERFACE", "XPDEG", chkXPdeg->isChecked());
    for (const ColourSetting& colour : colourSettings())
        m_settings.writeInteger("COULEUR", colour.key, static_cast<int>(colour.box->colourValue()));
}

void TfrmConf::btnOkClick()
{
    SaveConfiguration();
    LoadConfiguration();
    accept();
    if (m_onApplied)
        m_onApplied();
}

void TfrmConf::btnAppClick()
{
    applyOwnSkin(m_settings.readBool("INTERFACE", "XPMENU", true));
    SaveConfiguration();
    LoadConfiguration();
    if (m_onApplied)
        m_onApplied();
}

void TfrmConf::btnCancelClick()
{
    reject();
}

void TfrmConf::chkXPClick()
{
    chkXPdeg->setEnabled(chkXP->isChecked());
}

void TfrmConf::chkProxyClick()
{
    editPort->setEnabled(chkProxy->isChecked());
    editAdresse->setEnabled(chkProxy->isChecked());
}

void TfrmConf::tabConfChange(int)
{
    chkProxyClick();
}

} // namespace cinevaro::ui
