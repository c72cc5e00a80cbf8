#include "ui/TfrmAbout.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QVBoxLayout>
#include <QtMath>

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
    const QString facts = systemInformation();
    auto* text = new QPlainTextEdit(facts, &info);
    text->setReadOnly(true);
    // Each fact on one line, every line whole: the box takes the size of its text (a system name
    // or a kernel version can be long) rather than wrapping or scrolling it.
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(text->font());
    const QStringList lines = facts.split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * (text->frameWidth() + qCeil(text->document()->documentMargin()));
    // One character more across than the text needs: the read-only caret still takes a pixel.
    text->setMinimumSize(widest + margins + metrics.averageCharWidth(),
                         int(lines.size()) * metrics.lineSpacing() + margins);
    layout->addWidget(text);
    auto* close = new QPushButton(QStringLiteral("Fermer"), &info);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, &info, &QDialog::accept);
    info.resize(info.sizeHint());
    m_prompts.runModal(info);
}

} // namespace cinevaro::ui
