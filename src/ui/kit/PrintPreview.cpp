#include "ui/kit/PrintPreview.h"

#include <QListWidget>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
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
    // Icon mode lays the thumbnails left to right; they stay in one row.
    m_thumbs->setViewMode(QListView::IconMode);
    m_thumbs->setWrapping(false);
    m_thumbs->setMovement(QListView::Static);
    m_thumbs->setIconSize(QSize(kThumbWidth, kThumbWidth * 297 / 210));
    m_thumbs->setFixedHeight(kThumbWidth * 297 / 210 + 48);
    connect(m_thumbs, &QListWidget::currentRowChanged, this, &PrintPreview::showPage);
    connect(m_thumbs->horizontalScrollBar(), &QScrollBar::valueChanged, this, &PrintPreview::updateThumbnails);

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
    setDocument(std::move(doc));
}

void PrintPreview::setDocument(output::PrintDocument document)
{
    auto pages = std::make_shared<const std::vector<output::PrintPage>>(std::move(document.pages));
    document.pages.clear();
    const int count = std::max(1, static_cast<int>(pages->size()));
    setPages(document, count, [pages](int index) {
        return index < static_cast<int>(pages->size()) ? (*pages)[static_cast<std::size_t>(index)]
                                                       : output::PrintPage{};
    });
}

void PrintPreview::setPages(const output::PrintDocument& format, int count, PageSource source)
{
    m_doc.title = format.title;
    m_doc.pageWidth = format.pageWidth;
    m_doc.pageHeight = format.pageHeight;
    m_doc.pages.clear();
    m_count = std::max(1, count);
    m_source = std::move(source);
    m_built.clear();
    m_current = 0;
    rebuildThumbnails();
    refresh();
}

std::shared_ptr<const output::PrintPage> PrintPreview::page(int index) const
{
    for (std::size_t i = 0; i < m_built.size(); ++i) {
        if (m_built[i].first == index) {
            std::rotate(m_built.begin(), m_built.begin() + static_cast<std::ptrdiff_t>(i),
                        m_built.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return m_built.front().second;
        }
    }
    auto built = std::make_shared<const output::PrintPage>(
        index >= 0 && index < m_count && m_source ? m_source(index) : output::PrintPage{});
    // The shown page, its neighbours and a sheet being printed: a few pages are enough.
    constexpr std::size_t kKept = 4;
    m_built.insert(m_built.begin(), {index, built});
    if (m_built.size() > kKept)
        m_built.pop_back();
    return built;
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
    paint::renderPage(painter, *page(index), QRectF(QPointF(0, 0), QSizeF(size)), m_doc.pageWidth);
    return image;
}

bool PrintPreview::print(QPagedPaintDevice& printer, int first, int last) const
{
    first = std::max(first, 1);
    last = std::min(last, pageCount());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect paintRect = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
    const QRectF sheet = QRectF(paintRect).translated(-paintRect.topLeft());
    // Each sheet's pages are built, drawn and let go: printing holds one sheet at a time.
    output::PrintDocument sheetPages = m_doc;
    for (int p = first; p <= last; p += m_perSheet) {
        if (p != first)
            printer.newPage();
        const int count = std::min(m_perSheet, last - p + 1);
        sheetPages.pages.clear();
        for (int i = 0; i < count; ++i)
            sheetPages.pages.push_back(*page(p - 1 + i));
        paint::renderSheet(painter, sheetPages, 0, count, sheet);
    }
    return painter.end();
}

void PrintPreview::refresh()
{
    // A hidden preview draws its page when it is shown: the print window is built at start-up
    // and most sessions never open it.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    m_page->setImage(renderPageImage(m_current, m_zoom));
}

void PrintPreview::rebuildThumbnails()
{
    QSignalBlocker block(m_thumbs);
    m_thumbs->clear();
    // Every thumbnail starts blank; updateThumbnails draws those in view.
    QPixmap blank(m_thumbs->iconSize());
    blank.fill(Qt::white);
    const QIcon blankIcon(blank);
    for (int i = 0; i < pageCount(); ++i) {
        QString caption = m_caption;
        caption.replace(QLatin1Char('#'), QString::number(i + 1));
        m_thumbs->addItem(new QListWidgetItem(blankIcon, caption));
    }
    m_thumbDrawn.assign(static_cast<std::size_t>(pageCount()), false);
    m_thumbs->setCurrentRow(m_current);
    updateThumbnails();
}

void PrintPreview::updateThumbnails()
{
    if (!isVisible() || m_thumbDrawn.size() != static_cast<std::size_t>(m_thumbs->count()))
        return;
    const QRect view = m_thumbs->viewport()->rect();
    // One view's width of thumbnails on each side is drawn ahead; farther ones are dropped.
    const QRect near = view.adjusted(-view.width(), 0, view.width(), 0);
    const int zoom = std::max(1, qRound(kThumbWidth * 100.0 / (m_doc.pageWidth * kScreenDpi / 25.4)));
    QPixmap blank;
    for (int i = 0; i < m_thumbs->count(); ++i) {
        QListWidgetItem* item = m_thumbs->item(i);
        const bool wanted = m_thumbs->visualItemRect(item).intersects(near);
        if (wanted && !m_thumbDrawn[static_cast<std::size_t>(i)]) {
            item->setIcon(QIcon(QPixmap::fromImage(renderPageImage(i, zoom))));
            m_thumbDrawn[static_cast<std::size_t>(i)] = true;
        } else if (!wanted && m_thumbDrawn[static_cast<std::size_t>(i)]) {
            if (blank.isNull()) {
                blank = QPixmap(m_thumbs->iconSize());
                blank.fill(Qt::white);
            }
            item->setIcon(QIcon(blank));
            m_thumbDrawn[static_cast<std::size_t>(i)] = false;
        }
    }
}

void PrintPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateThumbnails();
}

void PrintPreview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_stale)
        refresh();
    updateThumbnails();
}

} // namespace cinevaro::ui
