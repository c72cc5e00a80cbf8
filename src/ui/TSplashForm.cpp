#include "ui/TSplashForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>

#include "ui/kit/Banner.h"
#include "ui/kit/Icons.h"
#include "ui/kit/Version.h"

namespace cinevaro::ui {

namespace {
// The banner fills the top of the window, the progress bar the strip under it.
constexpr int kWidth = 400;
constexpr int kBannerHeight = 165;
constexpr int kBarHeight = 18;
} // namespace

TSplashForm::TSplashForm(QWidget* parent) : TSplashForm(drawBanner(), parent)
{
}

QImage TSplashForm::drawPicture()
{
    QFont font = QGuiApplication::font();
    QFontMetrics(font).height();
    font.setBold(true);
    QFontMetrics(font).height();
    QImage banner = drawBanner();
    drawFirstIconsAhead();
    return banner;
}

QImage TSplashForm::drawBanner()
{
    return bannerImage(kWidth, kBannerHeight);
}

namespace {

// A flat bar: navy for what is done over aqua, without frame. Drawn here rather than through a style
// sheet, which would be the first of the program and cost its start-up more than the bar itself.
class SplashProgressBar final : public QProgressBar
{
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 255, 255));
        const qint64 span = qint64(maximum()) - minimum();
        if (span <= 0 || value() < minimum())
            return;
        const qint64 done = std::min<qint64>(qint64(value()) - minimum(), span);
        painter.fillRect(QRect(0, 0, int(width() * done / span), height()), QColor(0, 0, 128));
    }
};

} // namespace

TSplashForm::TSplashForm(const QImage& banner, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(kWidth, kBannerHeight + kBarHeight);
    setCursor(Qt::WaitCursor);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, kWidth, kBannerHeight);
    picture->setPixmap(QPixmap::fromImage(banner));
    picture->setScaledContents(true);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(0, kBannerHeight - 25, kWidth, 22);
    lblVersion->setAlignment(Qt::AlignCenter);
    QPalette white = lblVersion->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    lblVersion->setPalette(white);
    ProgressBar1 = new SplashProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(0, kBannerHeight, kWidth, kBarHeight);
    ProgressBar1->setRange(0, 13);
    ProgressBar1->setTextVisible(false);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TSplashForm::FormShow()
{
    lblVersion->setText(GetVersionText());
}

void TSplashForm::setStep(int position, int alpha)
{
    ProgressBar1->setValue(position);
    m_alpha = alpha;
    setWindowOpacity(alpha / 255.0);
    // Only the gauge changes: the picture and the version text stay, and the opacity is the window
    // system's. Repainting the whole window each step cost more than the bar.
    ProgressBar1->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace cinevaro::ui
