#include "ui/kit/CaptionPanel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace cinevaro::ui {

namespace {
constexpr int kGripHeight = 5;
}

CaptionPanel::CaptionPanel(const QString& caption, QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    m_captionBar = new QWidget(this);
    m_captionBar->setObjectName(QStringLiteral("captionBar"));
    // 20 pixels, or more when the caption's font needs it.
    QFont bold = font();
    bold.setBold(true);
    m_captionHeight = std::max(kCaptionHeight, QFontMetrics(bold).height() + 4);
    m_captionBar->setFixedHeight(m_captionHeight - 2);
    m_captionBar->setAutoFillBackground(true);
    QPalette pal = m_captionBar->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight).lighter(170));
    m_captionBar->setPalette(pal);
    auto* bar = new QHBoxLayout(m_captionBar);
    bar->setContentsMargins(6, 0, 2, 0);
    bar->setSpacing(2);
    m_captionLabel = new QLabel(caption, m_captionBar);
    m_captionLabel->setFont(bold);
    bar->addWidget(m_captionLabel, 1);
    m_collapseButton = new QToolButton(m_captionBar);
    m_collapseButton->setObjectName(QStringLiteral("collapseButton"));
    m_collapseButton->setAutoRaise(true);
    const int buttonSide = std::max(16, m_captionHeight - 4);
    m_collapseButton->setFixedSize(buttonSide, buttonSide);
    m_collapseButton->setArrowType(Qt::UpArrow);
    bar->addWidget(m_collapseButton);
    m_closeButton = new QToolButton(m_captionBar);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFixedSize(buttonSide, buttonSide);
    m_closeButton->setText(QStringLiteral("\u00D7"));
    m_closeButton->hide();
    bar->addWidget(m_closeButton);
    layout->addWidget(m_captionBar);

    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("body"));
    layout->addWidget(m_body, 1);

    m_grip = new QWidget(this);
    m_grip->setObjectName(QStringLiteral("grip"));
    m_grip->setFixedHeight(kGripHeight);
    m_grip->setCursor(Qt::SizeVerCursor);
    m_grip->installEventFilter(this);
    m_grip->hide();
    layout->addWidget(m_grip);

    connect(m_collapseButton, &QToolButton::clicked, this, [this] { setCollapsed(!m_collapsed); });
    connect(m_closeButton, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    applyHeight();
}

QString CaptionPanel::caption() const
{
    return m_captionLabel->text();
}

void CaptionPanel::setCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    applyHeight();
    emit collapsedChanged(collapsed);
}

void CaptionPanel::setExpandedHeight(int height)
{
    m_expandedHeight = std::max(height, m_captionHeight);
    applyHeight();
}

void CaptionPanel::setBodyMaker(std::function<void()> make)
{
    m_makeBody = std::move(make);
    if (!m_collapsed)
        applyHeight();
}

void CaptionPanel::setClosable(bool closable)
{
    m_closeButton->setVisible(closable);
}

void CaptionPanel::setResizable(bool resizable)
{
    m_resizable = resizable;
    m_grip->setVisible(m_resizable && !m_collapsed);
}

void CaptionPanel::applyHeight()
{
    if (!m_collapsed && m_makeBody)
        std::exchange(m_makeBody, nullptr)();
    m_body->setVisible(!m_collapsed);
    m_collapseButton->setArrowType(m_collapsed ? Qt::DownArrow : Qt::UpArrow);
    m_collapseButton->setToolTip(m_collapsed ? QStringLiteral("Déplier") : QStringLiteral("Replier"));
    // The grip comes back with the body: the height stays adjustable after a collapse.
    m_grip->setVisible(m_resizable && !m_collapsed);
    setFixedHeight(m_collapsed ? m_captionHeight : std::max(m_expandedHeight, bodyNeeds()));
}

int CaptionPanel::bodyNeeds() const
{
    // A body arranged by a layout is never squeezed below its minimum (large fonts).
    QLayout* layout = m_body->layout();
    const int body = layout ? layout->totalMinimumSize().height() : m_body->minimumHeight();
    const int margins = contentsMargins().top() + contentsMargins().bottom() + 2;
    return m_captionHeight + body + margins + (m_resizable ? kGripHeight : 0);
}

void CaptionPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    emit heightChanged(height());
}

bool CaptionPanel::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == m_grip && (press || event->type() == QEvent::MouseMove)) {
        dragGrip(static_cast<QMouseEvent*>(event)->globalPosition().toPoint().y(), press);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void CaptionPanel::dragGrip(int globalY, bool starts)
{
    if (starts) {
        m_dragStartY = globalY;
        m_dragStartHeight = m_expandedHeight;
    } else {
        setExpandedHeight(std::max(m_dragStartHeight + globalY - m_dragStartY, 120));
    }
}

} // namespace cinevaro::ui
