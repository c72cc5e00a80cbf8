#include "ui/weblookup/TfrmEtat.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "ui/kit/Fit.h"

namespace cinevaro::ui {

namespace {

// QProgressBar holds ints: lengths beyond that range are scaled down together.
int barValue(std::int64_t value, std::int64_t length)
{
    constexpr std::int64_t limit = std::numeric_limits<int>::max();
    if (length <= limit)
        return static_cast<int>(std::clamp<std::int64_t>(value, 0, limit));
    return static_cast<int>(value / (length / limit + 1));
}

} // namespace

TfrmEtat::TfrmEtat(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_lblEtat(new QLabel(this)),
      m_progressBar(new QProgressBar(this)), m_btnAnnuler(new QPushButton(QStringLiteral("Annuler"), this))
{
    setObjectName(QStringLiteral("frmEtat"));
    setWindowTitle(QStringLiteral("Extraction des Données"));
    setModal(false);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(frame);
    m_lblEtat->setObjectName(QStringLiteral("lblEtat"));
    m_lblEtat->setTextFormat(Qt::PlainText); // may hold a film title from the service
    m_lblEtat->setWordWrap(true);
    m_lblEtat->setMinimumHeight(34);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setTextVisible(false);
    m_btnAnnuler->setObjectName(QStringLiteral("btnAnnuler"));
    m_btnAnnuler->setAutoDefault(false);
    connect(m_btnAnnuler, &QPushButton::clicked, this, &TfrmEtat::reject);
    inner->addWidget(m_lblEtat);
    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_progressBar, 1);
    barRow->addWidget(m_btnAnnuler);
    inner->addLayout(barRow);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    // The design size with room for "Annuler", grown where the texts need more at this font.
    setFixedSizeToFit(this, QSize(460, 96));
}

void TfrmEtat::setText(const QString& text)
{
    m_lblEtat->setText(text);
}

void TfrmEtat::showProgress(const QString& text)
{
    setText(text);
    if (isVisible())
        return;
    centreOnDesktop();
    show();
    raise();
}

void TfrmEtat::reject()
{
    emit cancelRequested();
}

void TfrmEtat::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmEtat::FormShow()
{
    m_progressBar->setValue(0);
}

void TfrmEtat::centreOnDesktop()
{
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmEtat::workBegin(std::int64_t length)
{
    m_length = length;
    m_progressBar->setValue(0);
    m_progressBar->setMaximum(barValue(length, length));
}

void TfrmEtat::work(std::int64_t received)
{
    m_progressBar->setValue(barValue(received, m_length));
}

void TfrmEtat::workEnd()
{
    m_progressBar->setValue(barValue(m_length, m_length));
}

} // namespace cinevaro::ui
