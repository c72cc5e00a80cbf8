#include "ui/kit/TParamCheckList.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace cinevaro::ui {

namespace {

constexpr int kMarkupRole = Qt::UserRole + 1;
constexpr int kCheckedRole = Qt::UserRole + 2;
constexpr int kLeftMargin = 2;
constexpr int kCheckSize = 13;
constexpr int kTextGap = 5;

// Value of attribute `name` (quoted or not) in the inside of a tag; empty when absent.
QString attribute(const QString& tag, const QString& name)
{
    int at = tag.indexOf(name + QLatin1Char('='), 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    int start = at + name.size() + 1;
    if (start < tag.size() && tag[start] == QLatin1Char('"')) {
        int end = tag.indexOf(QLatin1Char('"'), start + 1);
        return tag.mid(start + 1, end < 0 ? -1 : end - start - 1);
    }
    int end = tag.indexOf(QLatin1Char(' '), start);
    return tag.mid(start, end < 0 ? -1 : end - start);
}

// Span of each anchor with the given href: [text start, text end) in the markup.
std::vector<std::pair<int, int>> anchorSpans(const QString& markup, const QString& href)
{
    std::vector<std::pair<int, int>> spans;
    const QString key = QStringLiteral("href=\"") + href + QLatin1Char('"');
    for (int at = markup.indexOf(key); at >= 0; at = markup.indexOf(key, at + key.size())) {
        int open = markup.lastIndexOf(QLatin1Char('<'), at);
        if (open < 0 || !markup.mid(open + 1, 1).startsWith(QLatin1Char('A'), Qt::CaseInsensitive))
            continue;
        int textStart = markup.indexOf(QLatin1Char('>'), at + key.size());
        if (textStart < 0)
            break;
        ++textStart;
        int textEnd = markup.indexOf(QStringLiteral("</A>"), textStart, Qt::CaseInsensitive);
        if (textEnd < 0)
            textEnd = markup.size();
        spans.emplace_back(textStart, textEnd);
    }
    return spans;
}

} // namespace

class TParamCheckList::Delegate : public QStyledItemDelegate
{
public:
    explicit Delegate(TParamCheckList* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->fillRect(option.rect, m_list->palette().base());
        QStyleOptionButton box;
        box.rect = QRect(option.rect.left() + kLeftMargin, option.rect.top() + (option.rect.height() - kCheckSize) / 2,
                         kCheckSize, kCheckSize);
        box.state = QStyle::State_Enabled | (index.data(kCheckedRole).toBool() ? QStyle::State_On : QStyle::State_Off);
        m_list->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, m_list);
        for (const auto& placed : m_list->layoutItem(index.row())) {
            if (placed.run.background.isValid())
                painter->fillRect(placed.rect, placed.run.background);
            painter->setFont(placed.font);
            painter->setPen(placed.run.anchor ? m_list->paramColor() : m_list->palette().color(QPalette::Text));
            painter->drawText(placed.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, placed.run.text);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        int width = kLeftMargin + kCheckSize + kTextGap;
        for (const auto& placed : m_list->layoutItem(index.row()))
            width = std::max(width, placed.rect.right() - option.rect.left() + 4);
        return {width, m_list->itemHeight()};
    }

private:
    TParamCheckList* m_list;
};

TParamCheckList::TParamCheckList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new Delegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

std::vector<TParamCheckList::Run> TParamCheckList::parseMarkup(const QString& markup)
{
    std::vector<Run> runs;
    int bold = 0;
    int italic = 0;
    std::vector<QColor> backgrounds;
    bool inAnchor = false;
    QString href;
    QString text;
    auto flush = [&] {
        if (text.isEmpty())
            return;
        Run run;
        run.text = text;
        run.anchor = inAnchor;
        run.href = inAnchor ? href : QString();
        run.bold = bold > 0;
        run.italic = italic > 0;
        if (!backgrounds.empty())
            run.background = backgrounds.back();
        runs.push_back(run);
        text.clear();
    };
    int i = 0;
    while (i < markup.size()) {
        if (markup[i] == QLatin1Char('<')) {
            int close = markup.indexOf(QLatin1Char('>'), i + 1);
            if (close > i) {
                QString tag = markup.mid(i + 1, close - i - 1);
                QString name = tag.section(QLatin1Char(' '), 0, 0).toLower();
                bool known = true;
                if (name == QStringLiteral("a")) {
                    flush();
                    inAnchor = true;
                    href = attribute(tag, QStringLiteral("href"));
                } else if (name == QStringLiteral("/a")) {
                    flush();
                    inAnchor = false;
                } else if (name == QStringLiteral("b") || name == QStringLiteral("/b")) {
                    flush();
                    bold += name == QStringLiteral("b") ? 1 : (bold > 0 ? -1 : 0);
                } else if (name == QStringLiteral("i") || name == QStringLiteral("/i")) {
                    flush();
                    italic += name == QStringLiteral("i") ? 1 : (italic > 0 ? -1 : 0);
                } else if (name == QStringLiteral("font")) {
                    flush();
                    QColor colour(attribute(tag, QStringLiteral("bgcolor")));
                    backgrounds.push_back(colour.isValid() ? colour
                                                           : (backgrounds.empty() ? QColor() : backgrounds.back()));
                } else if (name == QStringLiteral("/font")) {
                    flush();
                    if (!backgrounds.empty())
                        backgrounds.pop_back();
                } else {
                    known = false;
                }
                if (known) {
                    i = close + 1;
                    continue;
                }
            }
        }
        text += markup[i];
        ++i;
    }
    flush();
    return runs;
}

void TParamCheckList::addMarkupItem(const QString& markup, bool checked)
{
    auto* item = new QListWidgetItem(this);
    item->setData(kMarkupRole, markup);
    item->setData(kCheckedRole, checked);
    item->setSizeHint(QSize(-1, m_itemHeight));
}

QString TParamCheckList::itemMarkup(int index) const
{
    const auto* it = item(index);
    return it ? it->data(kMarkupRole).toString() : QString();
}

void TParamCheckList::setItemMarkup(int index, const QString& markup)
{
    if (auto* it = item(index))
        it->setData(kMarkupRole, markup);
}

bool TParamCheckList::isChecked(int index) const
{
    const auto* it = item(index);
    return it && it->data(kCheckedRole).toBool();
}

void TParamCheckList::setChecked(int index, bool checked)
{
    if (auto* it = item(index))
        it->setData(kCheckedRole, checked);
}

std::optional<QString> TParamCheckList::paramText(int index, const QString& href) const
{
    QString markup = itemMarkup(index);
    auto spans = anchorSpans(markup, href);
    if (spans.empty())
        return std::nullopt;
    return markup.mid(spans.front().first, spans.front().second - spans.front().first);
}

void TParamCheckList::setParamText(int index, const QString& href, const QString& value)
{
    QString markup = itemMarkup(index);
    auto spans = anchorSpans(markup, href);
    for (auto it = spans.rbegin(); it != spans.rend(); ++it)
        markup.replace(it->first, it->second - it->first, value);
    setItemMarkup(index, markup);
}

void TParamCheckList::setParamColor(const QColor& color)
{
    m_paramColor = color;
    viewport()->update();
}

void TParamCheckList::setItemHeight(int height)
{
    m_itemHeight = height;
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(-1, height));
}

QRect TParamCheckList::itemRect(int index) const
{
    const auto* it = item(index);
    return it ? visualItemRect(it) : QRect();
}

std::vector<TParamCheckList::PlacedRun> TParamCheckList::layoutItem(int index) const
{
    std::vector<PlacedRun> placed;
    QRect rect = itemRect(index);
    if (!item(index))
        return placed;
    int x = rect.left() + kLeftMargin + kCheckSize + kTextGap;
    for (auto& run : parseMarkup(itemMarkup(index))) {
        QFont f = font();
        f.setBold(run.bold);
        f.setItalic(run.italic);
        int width = QFontMetrics(f).horizontalAdvance(run.text);
        placed.push_back({run, QRect(x, rect.top(), width, rect.height()), f});
        x += width;
    }
    return placed;
}

QRect TParamCheckList::checkBoxRect(int index) const
{
    QRect rect = itemRect(index);
    if (rect.isNull())
        return {};
    return {rect.left() + kLeftMargin, rect.top() + (rect.height() - kCheckSize) / 2, kCheckSize, kCheckSize};
}

QRect TParamCheckList::paramRect(int index, const QString& href) const
{
    QRect united;
    for (const auto& placed : layoutItem(index)) {
        if (placed.run.anchor && placed.run.href == href)
            united = united.united(placed.rect);
    }
    return united;
}

QString TParamCheckList::paramAt(int index, const QPoint& pos) const
{
    for (const auto& placed : layoutItem(index)) {
        if (placed.run.anchor && placed.rect.contains(pos))
            return placed.run.href;
    }
    return {};
}

std::optional<QString> TParamCheckList::clickParam(int index, const QString& href)
{
    if (!item(index))
        return std::nullopt;
    setCurrentRow(index);
    QStringList values;
    bool show = false;
    emit paramPopup(index, href, values, show);
    if (!show)
        return std::nullopt;
    QRect at = paramRect(index, href);
    auto chosen =
        execMenu(values, viewport()->mapToGlobal(at.isNull() ? itemRect(index).bottomLeft() : at.bottomLeft()));
    if (chosen)
        chooseParamValue(index, href, *chosen);
    return chosen;
}

void TParamCheckList::chooseParamValue(int index, const QString& href, const QString& value)
{
    emit paramSelect(currentRow(), value, href);
    setParamText(index, href, value);
    viewport()->update();
}

void TParamCheckList::toggleCheck(int index)
{
    if (!item(index))
        return;
    setChecked(index, !isChecked(index));
    emit checkClick(index);
    viewport()->update();
}

std::optional<QString> TParamCheckList::execMenu(const QStringList& values, const QPoint& globalPos)
{
    QMenu menu(this);
    for (const auto& value : values) {
        // A "&" in a value is shown as itself, not taken as a shortcut marker.
        QString caption = value;
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        menu.addAction(caption)->setData(value);
    }
    QAction* chosen = menu.exec(globalPos);
    if (!chosen)
        return std::nullopt;
    return chosen->data().toString();
}

void TParamCheckList::mousePressEvent(QMouseEvent* event)
{
    QPoint pos = event->position().toPoint();
    int index = indexAt(pos).row();
    if (index < 0 || event->button() != Qt::LeftButton) {
        QListWidget::mousePressEvent(event);
        return;
    }
    setCurrentRow(index);
    if (checkBoxRect(index).contains(pos)) {
        toggleCheck(index);
    } else if (QString href = paramAt(index, pos); !href.isEmpty()) {
        clickParam(index, href);
    }
    event->accept();
}

void TParamCheckList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        toggleCheck(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool TParamCheckList::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QListWidget::viewportEvent(event);
    showParamHint(*static_cast<QHelpEvent*>(event));
    return true;
}

void TParamCheckList::showParamHint(const QHelpEvent& help)
{
    const int index = indexAt(help.pos()).row();
    const QString href = index >= 0 ? paramAt(index, help.pos()) : QString();
    QString hint;
    bool show = !href.isEmpty();
    if (show)
        emit paramHint(index, href, hint, show);
    if (show && !hint.isEmpty())
        QToolTip::showText(help.globalPos(), hint, viewport());
    else
        QToolTip::hideText();
}

} // namespace cinevaro::ui
