#include "ui/TSplashForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "ui/kit/Icons.h"
#include "ui/kit/Version.h"

namespace cinevaro::ui {

TSplashForm::TSplashForm(QWidget* parent) : TSplashForm(bannerImage(400, 165), parent)
{
}

QImage TSplashForm::drawPicture()
{
    QFont font = QGuiApplication::font();
    QFontMetrics(font).height();
    font.setBold(true);
    QFontMetrics(font).height();
    QImage banner = bannerImage(400, 165);
    drawFirstIconsAhead();
    return banner;
}

TSplashForm::TSplashForm(const QImage& banner, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(400, 183);
    setCursor(Qt::WaitCursor);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, 400, 165);
    picture->setPixmap(QPixmap::fromImage(banner));
    picture->setScaledContents(true);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(0, 140, 400, 22);
    lblVersion->setAlignment(Qt::AlignCenter);
    lblVersion->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(0, 165, 400, 18);
    ProgressBar1->setRange(0, 13);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setStyleSheet(QStringLiteral("QProgressBar { background: aqua; border: none; }"
                                               "QProgressBar::chunk { background: navy; }"));
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
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace cinevaro::ui
