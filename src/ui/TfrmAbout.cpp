#include "ui/TfrmAbout.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>

#include "ui/Prompts.h"
#include "ui/kit/Banner.h"
#include "ui/kit/Version.h"

namespace cinevaro::ui {

TfrmAbout::TfrmAbout(Prompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("A propos de Cinevaro"));
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgAbout"));
    picture->setPixmap(bannerPixmap(360, 120));
    layout->addWidget(picture);
    auto* name = new QLabel(QStringLiteral("Cinevaro"), this);
    name->setObjectName(QStringLiteral("lblNom"));
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    layout->addWidget(name);
    lblVersion = new QLabel(QStringLiteral("Version ") + GetVersionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(lblVersion);
    layout->addWidget(new QLabel(QStringLiteral("Catalogue de vidéothèque personnelle"), this));
    auto* buttons = new QHBoxLayout;
    btnSysInfo = new QPushButton(QStringLiteral("Infos Système..."), this);
    btnSysInfo->setObjectName(QStringLiteral("btnSysInfo"));
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    buttons->addWidget(btnSysInfo);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    layout->addLayout(buttons);
    connect(btnSysInfo, &QPushButton::clicked, this, &TfrmAbout::btnSysInfoClick);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
}

QString TfrmAbout::systemInformation()
{
    QStringList lines;
    lines << QStringLiteral("Système : ") + QSysInfo::prettyProductName();
    lines << QStringLiteral("Noyau : ") + QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    lines << QStringLiteral("Architecture : ") + QSysInfo::currentCpuArchitecture();
    lines << QStringLiteral("Machine : ") + QSysInfo::machineHostName();
    lines << QStringLiteral("Qt : ") + QLatin1String(qVersion());
    lines << QStringLiteral("Plate-forme graphique : ") + QGuiApplication::platformName();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        lines << QStringLiteral("Écran : %1 x %2").arg(screen->size().width()).arg(screen->size().height());
    return lines.join(QLatin1Char('\n'));
}

void TfrmAbout::btnSysInfoClick()
{
    QDialog info(this);
    info.setObjectName(QStringLiteral("frmSysInfo"));
    info.setWindowTitle(QStringLiteral("Informations Système"));
    auto* layout = new QVBoxLayout(&info);
    auto* text = new QPlainTextEdit(systemInformation(), &info);
    text->setReadOnly(true);
    layout->addWidget(text);
    auto* close = new QPushButton(QStringLiteral("Fermer"), &info);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, &info, &QDialog::accept);
    info.resize(420, 220);
    m_prompts.runModal(info);
}

} // namespace cinevaro::ui
