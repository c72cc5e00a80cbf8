#include "ui/kit/PrintPreview.h"

#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/paint/PageRenderer.h"

namespace cinevaro::ui {

// The widget inside the scroll area that shows the rendered page.
class PreviewPage : public QWidget
{
public:
    explicit PreviewPage(QWidget* parent) : QWidget(parent) {}
    void setImage(QImage image)
    {
        m_image = std::move(image);
        setFixedSize(m_image.size());
        update();
    }
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

namespace {

constexpr double kScreenDpi = 96.0;
constexpr int kThumbWidth = 90;

} // namespace

PrintPreview::PrintPreview(QWidget* parent) : QWidget(parent)
{
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("GmPreview1"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_page = new PreviewPage(m_scroll);
    m_scroll->setWidget(m_page);

    m_thumbs = new QListWidget(this);
    m_thumbs->setObjectName(QStringLiteral("GmThumbnails1"));
    m_thumbs->setViewMode(QListView::IconMode);
    m_thumbs->setFlow(QListView::LeftToRight);
    m_thumbs->setWrapping(false);
    m_thumbs->setMovement(QListView::Static);
    m_thumbs->setIconSize(QSize(kThumbWidth, kThumbWidth * 297 / 210));
    m_thumbs->setFixedHeight(kThumbWidth * 297 / 210 + 48);
    connect(m_thumbs, &QListWidget::currentRowChanged, this, &PrintPreview::showPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll, 1);
    layout->addWidget(m_thumbs);
    clear();
}

void PrintPreview::clear()
{
    output::PrintDocument doc;
    doc.title = m_doc.title;
    doc.pages.emplace_back();
    setDocument(std::move(doc));
}

void PrintPreview::setDocument(output::PrintDocument document)
{
    m_doc = std::move(document);
    if (m_doc.pages.empty())
        m_doc.pages.emplace_back();
    m_current = 0;
    rebuildThumbnails();
    refresh();
}

void PrintPreview::showPage(int index)
{
    if (index < 0 || index >= pageCount() || index == m_current)
        return;
    m_current = index;
    if (m_thumbs->currentRow() != index)
        m_thumbs->setCurrentRow(index);
    refresh();
}

void PrintPreview::setZoom(int percent)
{
    if (percent <= 0)
        return;
    m_zoom = percent;
    refresh();
}

void PrintPreview::setThumbnailsEnabled(bool enabled)
{
    m_thumbs->setVisible(enabled);
}

QImage PrintPreview::renderPageImage(int index, int zoom) const
{
    const double pxPerMm = kScreenDpi / 25.4 * zoom / 100.0;
    const QSize size(qRound(m_doc.pageWidth * pxPerMm), qRound(m_doc.pageHeight * pxPerMm));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (index < 0 || index >= pageCount())
        return image;
    QPainter painter(&image);
    if (m_margins > 0) {
        QPen pen(QColor(192, 192, 192));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        const double m = m_margins * pxPerMm;
        painter.drawRect(QRectF(m, m, size.width() - 2 * m, size.height() - 2 * m));
    }
    paint::renderPage(painter, m_doc.pages[index], QRectF(QPointF(0, 0), QSizeF(size)), m_doc.pageWidth);
    return image;
}

void PrintPreview::print(QPrinter& printer, int first, int last) const
{
    first = std::max(first, 1);
    last = std::min(last, pageCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRectF sheet =
        printer.pageRect(QPrinter::DevicePixel).translated(-printer.pageRect(QPrinter::DevicePixel).topLeft());
    for (int p = first; p <= last; p += m_perSheet) {
        if (p != first)
            printer.newPage();
        paint::renderSheet(painter, m_doc, p - 1, std::min(m_perSheet, last - p + 1), sheet);
    }
    painter.end();
}

void PrintPreview::refresh()
{
    m_page->setImage(renderPageImage(m_current, m_zoom));
}

void PrintPreview::rebuildThumbnails()
{
    QSignalBlocker block(m_thumbs);
    m_thumbs->clear();
    const int zoom = std::max(1, qRound(kThumbWidth * 100.0 / (m_doc.pageWidth * kScreenDpi / 25.4)));
    for (int i = 0; i < pageCount(); ++i) {
        QString caption = m_caption;
        caption.replace(QLatin1Char('#'), QString::number(i + 1));
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(renderPageImage(i, zoom))), caption);
        m_thumbs->addItem(item);
    }
    m_thumbs->setCurrentRow(m_current);
}

} // namespace cinevaro::ui
