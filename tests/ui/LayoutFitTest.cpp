// Every window, shown at its own size, shows the whole text of each of its labels, check boxes,
// radio buttons and buttons, and none of its controls covers another. ctest runs this suite three
// times: at the default font, at 125 % (QT_SCALE_FACTOR=1.25, set before the application starts)
// and with a 12-point application font (CINEVARO_TEST_POINT_SIZE=12). At the default font, every
// control also stands where it stood when the window's layout was recorded (tests/data/layouts).
// With CINEVARO_SCREENSHOT_DIR set, a picture of every window is saved there.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "support/FilmRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"
#include "table/Cp1252.h"
#include "ui/QtPrompts.h"
#include "ui/TSplashForm.h"
#include "ui/TfrmAbout.h"
#include "ui/TfrmBase.h"
#include "ui/catalogue/RecordView.h"
#include "ui/catalogue/TfrmCherchebase.h"
#include "ui/catalogue/TfrmConf.h"
#include "ui/catalogue/TfrmVersions.h"
#include "ui/editing/TechPanel.h"
#include "ui/editing/TfrmAjout.h"
#include "ui/editing/TfrmSupport.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/Fit.h"
#include "ui/kit/PictureBox.h"
#include "ui/loans/TfrmGestEmp.h"
#include "ui/loans/TfrmPret.h"
#include "ui/output/TfrmArchive.h"
#include "ui/output/TfrmExportH.h"
#include "ui/output/TfrmPrint.h"
#include "ui/weblookup/TfrmEtat.h"
#include "ui/weblookup/TfrmRecherche.h"

using namespace cinevaro;
using namespace cinevaro::testing;

namespace {

// The text as drawn: "&&" shows one "&", a single "&" marks the mnemonic and is not drawn.
QString drawnText(const QString& text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            out += text[i];
            continue;
        }
        out += text[i];
    }
    return out;
}

QString describe(const QWidget& w)
{
    return QStringLiteral("%1 \"%2\" (%3) in %4")
        .arg(QString::fromLatin1(w.metaObject()->className()), w.property("text").toString(), w.objectName(),
             w.window()->objectName());
}

// Empty when the label shows its whole text, otherwise what is missing.
QString labelProblem(const QLabel& label)
{
    if (label.text().isEmpty() || label.hasSelectedText())
        return {};
    const QRect contents =
        label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    const bool rich =
        label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    QSize need;
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(label.font());
        doc.setDocumentMargin(0);
        doc.setHtml(label.text());
        if (label.wordWrap())
            doc.setTextWidth(contents.width());
        need = QSize(static_cast<int>(std::ceil(doc.idealWidth())), static_cast<int>(std::ceil(doc.size().height())));
    } else {
        const QString text = label.buddy() ? drawnText(label.text()) : label.text();
        int flags = static_cast<int>(label.alignment());
        if (label.wordWrap())
            flags |= Qt::TextWordWrap;
        need = label.fontMetrics().boundingRect(contents, flags, text).size();
    }
    if (need.width() <= contents.width() && need.height() <= contents.height())
        return {};
    return QStringLiteral("needs %1x%2, has %3x%4")
        .arg(need.width())
        .arg(need.height())
        .arg(contents.width())
        .arg(contents.height());
}

QString buttonProblem(QAbstractButton& button)
{
    const QString text = drawnText(button.text());
    if (text.isEmpty())
        return {};
    QStyleOptionButton opt;
    opt.initFrom(&button);
    opt.text = button.text();
    opt.icon = button.icon();
    opt.iconSize = button.iconSize();
    QRect contents;
    int iconWidth = button.icon().isNull() ? 0 : button.iconSize().width() + 4;
    if (auto* push = qobject_cast<QPushButton*>(&button)) {
        if (push->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        if (push->menu())
            iconWidth += button.style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &opt, &button);
        contents = button.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &button);
    } else if (qobject_cast<QCheckBox*>(&button)) {
        contents = button.style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, &button);
    } else if (qobject_cast<QRadioButton*>(&button)) {
        contents = button.style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, &button);
    } else if (auto* tool = qobject_cast<QToolButton*>(&button)) {
        if (tool->toolButtonStyle() == Qt::ToolButtonIconOnly && !tool->icon().isNull())
            return {};
        if (tool->toolButtonStyle() == Qt::ToolButtonTextOnly || tool->icon().isNull())
            iconWidth = 0;
        contents = tool->rect().adjusted(1, 1, -1, -1);
    } else {
        return {};
    }
    QSize need(button.fontMetrics().horizontalAdvance(text) + iconWidth, button.fontMetrics().height());
    // A tool button holding a sign ("×") needs room for the sign's ink only.
    if (qobject_cast<QToolButton*>(&button))
        need.setHeight(button.fontMetrics().tightBoundingRect(text).height());
    if (need.width() <= contents.width() && need.height() <= contents.height())
        return {};
    return QStringLiteral("needs %1x%2, has %3x%4")
        .arg(need.width())
        .arg(need.height())
        .arg(contents.width())
        .arg(contents.height());
}

QString groupBoxProblem(const QGroupBox& box)
{
    if (box.title().isEmpty())
        return {};
    const int need = box.fontMetrics().horizontalAdvance(drawnText(box.title())) + 16;
    if (need <= box.width())
        return {};
    return QStringLiteral("title needs %1, has %2").arg(need).arg(box.width());
}

// Parts of the widget that its ancestors cut off (outside a scroll area's viewport).
QString clippedProblem(const QWidget& w)
{
    QRect r = w.rect();
    const QWidget* child = &w;
    for (const QWidget* parent = w.parentWidget(); parent && !child->isWindow(); parent = parent->parentWidget()) {
        if (qobject_cast<const QAbstractScrollArea*>(parent))
            return {};
        r.translate(child->pos());
        if (!parent->rect().contains(r))
            return QStringLiteral("cut by %1 (%2 not inside %3x%4)")
                .arg(parent->objectName().isEmpty() ? QString::fromLatin1(parent->metaObject()->className())
                                                    : parent->objectName())
                .arg(QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()))
                .arg(parent->width())
                .arg(parent->height());
        child = parent;
    }
    return {};
}

bool insideScrollArea(const QWidget& w)
{
    for (const QWidget* p = w.parentWidget(); p && !p->isWindow(); p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p))
            return true;
    return false;
}

// Every text of the window that does not fit, one line each.
QStringList cutTexts(QWidget& window)
{
    QStringList problems;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisible() || w->width() <= 0 || w->height() <= 0 || w->window() != &window || insideScrollArea(*w))
            continue;
        QString problem;
        if (auto* label = qobject_cast<QLabel*>(w))
            problem = labelProblem(*label);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            problem = buttonProblem(*button);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            problem = groupBoxProblem(*box);
        else
            continue;
        const bool hasText = !w->property("text").toString().isEmpty() || qobject_cast<QGroupBox*>(w);
        if (problem.isEmpty() && hasText)
            problem = clippedProblem(*w);
        if (!problem.isEmpty())
            problems << describe(*w) + QStringLiteral(": ") + problem;
    }
    return problems;
}

bool isPicture(const QWidget& w)
{
    const auto* label = qobject_cast<const QLabel*>(&w);
    return qobject_cast<const ui::PictureBox*>(&w) || (label && !label->pixmap().isNull());
}

// A text over a picture (the cover's "no poster" text, the splash's version) is meant; so is the
// size grip Qt puts in a dialog's corner.
bool overlapMeant(const QWidget& a, const QWidget& b)
{
    if (qobject_cast<const QSizeGrip*>(&a) || qobject_cast<const QSizeGrip*>(&b))
        return true;
    return (isPicture(a) && qobject_cast<const QLabel*>(&b)) || (isPicture(b) && qobject_cast<const QLabel*>(&a));
}

// Visible controls of the same parent that cover part of each other: a control left out of its
// layout sits over another one.
QStringList overlappingControls(QWidget& window)
{
    QStringList problems;
    QList<QWidget*> parents = window.findChildren<QWidget*>();
    parents << &window;
    for (QWidget* parent : parents) {
        if (!parent->isVisible() || parent->window() != &window)
            continue;
        QList<QWidget*> shown;
        for (QObject* object : parent->children())
            if (auto* w = qobject_cast<QWidget*>(object);
                w && w->isVisible() && !w->isWindow() && !w->geometry().isEmpty())
                shown << w;
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                if (shown[i]->geometry().intersects(shown[j]->geometry()) && !overlapMeant(*shown[i], *shown[j]))
                    problems << describe(*shown[i]) + QStringLiteral(" and ") + describe(*shown[j]) +
                                    QStringLiteral(" overlap");
    }
    return problems;
}

QString settingName()
{
    if (const char* points = std::getenv("CINEVARO_TEST_POINT_SIZE"))
        return QStringLiteral("font%1pt").arg(QString::fromLatin1(points));
    if (const char* scale = std::getenv("QT_SCALE_FACTOR"))
        return QStringLiteral("scale%1").arg(QString::fromLatin1(scale));
    return QStringLiteral("default");
}

// The bounds set on a widget's size, as " min WxH" and " max WxH" when set.
QString sizeBounds(const QWidget& w)
{
    QString bounds;
    if (w.minimumSize() != QSize(0, 0))
        bounds += QStringLiteral(" min %1x%2").arg(w.minimumWidth()).arg(w.minimumHeight());
    if (w.maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX))
        bounds += QStringLiteral(" max %1x%2").arg(w.maximumWidth()).arg(w.maximumHeight());
    return bounds;
}

// The folder of the test's catalogue, shown as "<dossier>" in recorded texts (it changes at each run).
QString g_catalogueFolder;

// A label's alignment other than the usual left and middle, as " align right|top".
QString alignmentOf(Qt::Alignment alignment)
{
    if (alignment == (Qt::AlignLeft | Qt::AlignVCenter))
        return {};
    QStringList parts;
    const std::pair<Qt::AlignmentFlag, const char*> names[] = {
        {Qt::AlignLeft, "left"},       {Qt::AlignRight, "right"}, {Qt::AlignHCenter, "hcenter"},
        {Qt::AlignJustify, "justify"}, {Qt::AlignTop, "top"},     {Qt::AlignBottom, "bottom"},
        {Qt::AlignVCenter, "vcenter"}};
    for (const auto& [flag, name] : names)
        if (alignment & flag)
            parts << QString::fromLatin1(name);
    return QStringLiteral(" align ") + parts.join(QLatin1Char('|'));
}

// What a control shows and how it can be used: " disabled", " checked", a push button's " default" and
// " autodefault", a label's alignment, and its text in quotes
// (a label's, a button's, a group's title, a box's current text).
QString stateOf(const QWidget& w)
{
    QString state;
    if (!w.isEnabled())
        state += QStringLiteral(" disabled");
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        text = label->text();
        state += alignmentOf(label->alignment());
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
        text = button->text();
        if (button->isChecked())
            state += QStringLiteral(" checked");
        // Which button Return presses: the default one, or the focused one when it is auto-default.
        if (const auto* push = qobject_cast<const QPushButton*>(button)) {
            if (push->isDefault())
                state += QStringLiteral(" default");
            if (push->autoDefault())
                state += QStringLiteral(" autodefault");
        }
    } else if (const auto* box = qobject_cast<const QGroupBox*>(&w)) {
        text = box->title();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(&w)) {
        text = combo->currentText();
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(&w);
               edit && !qobject_cast<const QAbstractSpinBox*>(w.parentWidget()) &&
               !qobject_cast<const QComboBox*>(w.parentWidget())) {
        // A date box shows today's date; a box's own line shows its current text, written above.
        text = edit->text();
    }
    if (!text.isEmpty()) {
        if (!g_catalogueFolder.isEmpty())
            text.replace(g_catalogueFolder, QStringLiteral("<dossier>"));
        text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        state += QStringLiteral(" \"%1\"").arg(text);
    }
    return state;
}

// Each menu of `window` (its menu bar's and its pop-up menus) with its items in order: a line with
// the menu's name and title, then one line per item with its text, its shortcut, its hint and
// " checked", " disabled" or " hidden"; a separator is "-".
QStringList menusOf(QWidget& window)
{
    QStringList lines;
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        lines << QStringLiteral("menu %1 \"%2\"").arg(menu->objectName(), menu->title());
        for (QAction* item : menu->actions()) {
            if (item->isSeparator()) {
                lines << QStringLiteral("  -");
                continue;
            }
            QString line = QStringLiteral("  \"%1\"").arg(item->text());
            if (!item->shortcut().isEmpty())
                line += QLatin1Char(' ') + item->shortcut().toString();
            if (!item->statusTip().isEmpty())
                line += QStringLiteral(" (%1)").arg(item->statusTip());
            if (item->isChecked())
                line += QStringLiteral(" checked");
            if (!item->isEnabled())
                line += QStringLiteral(" disabled");
            if (!item->isVisible())
                line += QStringLiteral(" hidden");
            if (!g_catalogueFolder.isEmpty())
                line.replace(g_catalogueFolder, QStringLiteral("<dossier>"));
            lines << line;
        }
    }
    return lines;
}

// Where each control of `window` stands and what it shows: the window's size, then one line per
// widget in creation order with its path of names (the class for an unnamed one), its place in the
// window, its size, the bounds set on its size, "hidden" when it is not shown, then its state
// (stateOf); then its menus (menusOf). Other windows (dialogs owned by this one) are left out.
QStringList layoutOf(QWidget& window)
{
    QStringList lines{QStringLiteral("%1x%2").arg(window.width()).arg(window.height()) + sizeBounds(window)};
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window)
            continue;
        QStringList path;
        for (const QWidget* p = w; p != &window; p = p->parentWidget())
            path.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className())
                                                   : p->objectName());
        // Qt's own hidden parts (a scroll area's unused bars, a tool bar's extension button) have no
        // place of their own: their size changes with what polished them, a picture taken for one.
        const bool internal = std::any_of(path.cbegin(), path.cend(),
                                          [](const QString& part) { return part.startsWith(QStringLiteral("qt_")); });
        if (internal && !w->isVisibleTo(&window))
            continue;
        const QPoint at = w->mapTo(&window, QPoint(0, 0));
        lines << QStringLiteral("%1 %2,%3 %4x%5%6%7%8")
                     .arg(path.join(QLatin1Char('/')))
                     .arg(at.x())
                     .arg(at.y())
                     .arg(w->width())
                     .arg(w->height())
                     .arg(sizeBounds(*w), w->isVisibleTo(&window) ? QString() : QStringLiteral(" hidden"), stateOf(*w));
    }
    return lines + menusOf(window);
}

// At the default font, `window` is laid out as recorded in tests/data/layouts/NAME.txt; with
// CINEVARO_RECORD_PICTURES set, records it instead (after a deliberate change of a window).
void expectLaidOutAsRecorded(QWidget& window, const QString& name)
{
    if (settingName() != QStringLiteral("default"))
        return;
    const QStringList actual = layoutOf(window);
    QFile file(QString::fromStdString(dataFile("layouts/" + name.toStdString() + ".txt")));
    if (const char* record = std::getenv("CINEVARO_RECORD_PICTURES"); record && *record) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << file.fileName().toStdString();
        file.write(actual.join(QLatin1Char('\n')).toUtf8() + '\n');
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QStringList recorded = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList differences;
    for (qsizetype i = 0; i < std::max(actual.size(), recorded.size()) && differences.size() < 12; ++i) {
        const QString now = i < actual.size() ? actual[i] : QStringLiteral("(nothing)");
        const QString then = i < recorded.size() ? recorded[i] : QStringLiteral("(nothing)");
        if (now != then)
            differences << QStringLiteral("line %1: recorded \"%2\", now \"%3\"").arg(i + 1).arg(then, now);
    }
    EXPECT_TRUE(differences.isEmpty()) << name.toStdString() << ":\n  "
                                       << differences.join(QStringLiteral("\n  ")).toStdString();
}

// `laidOutAsRecorded` false: the window's layout depends on more than the program (the file
// dialog remembers the folders it showed).
void checkAndKeep(QWidget& window, const QString& name, bool laidOutAsRecorded = true)
{
    window.show();
    QApplication::processEvents();
    QTest::qWait(20);
    const QStringList problems = cutTexts(window) + overlappingControls(window);
    EXPECT_TRUE(problems.isEmpty()) << name.toStdString() << " (" << settingName().toStdString() << "):\n  "
                                    << problems.join(QStringLiteral("\n  ")).toStdString();
    if (laidOutAsRecorded)
        expectLaidOutAsRecorded(window, name);
    if (const char* folder = std::getenv("CINEVARO_SCREENSHOT_DIR")) {
        QDir().mkpath(QString::fromLocal8Bit(folder));
        const QString file = QString::fromLocal8Bit(folder) + QLatin1Char('/') + name + QLatin1Char('_') +
                             settingName() + QStringLiteral(".png");
        EXPECT_TRUE(window.grab().save(file)) << file.toStdString();
    }
}

} // namespace

constexpr const char* kLongTitle =
    "Il était une fois dans l'Ouest, à la grande époque du cinéma italien et de ses musiques inoubliables";

class LayoutFitTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (const char* points = std::getenv("CINEVARO_TEST_POINT_SIZE")) {
            QFont font = QApplication::font();
            font.setPointSizeF(std::atof(points));
            QApplication::setFont(font);
        }
    }

    void SetUp() override
    {
        catalogue::Settings settings(catalogue::Settings::defaultPath(dir.path().string() + "/"));
        catalogue::CatalogueState maker;
        catalogue::commitNames(maker, dir.file("films.cvo"));
        ASSERT_TRUE(catalogue::CreateCatalogueFile(maker, &settings).ok);
        catalogue::appendFilmRow(maker);
        auto& t = maker.table();
        const std::pair<const char*, const char*> fields[] = {
            {"TITRE", "Alien"},
            {"RESERVE1", "Alien"},
            {"RESERVE0", "DVD"},
            {"REAL", "Ridley Scott"},
            {"DATE", "1979"},
            {"ORIGINE", "Américain"},
            {"GENRE", "Science-fiction"},
            {"DUREE", "1H57"},
            {"ACTEUR", "Sigourney Weaver;Tom Skerritt;John Hurt"},
            {"RESUME", "Un cargo spatial reçoit un signal."},
            {"DISTRIB", "FOX"},
            {"RESERVE3", "12"},
            {"FORMATVIDEO", "DivX 5"},
            {"FORMATAUDIO", "AC3"},
            {"RESOLUTION", "640 x 480"},
            {"ZONE", "2: Europe, Japon et Afrique du Sud"},
            {"BITVIDEO", "900"},
            {"FREQUENCE", "25"},
            {"LANGUEP", "Français"},
            {"NBDISK", "1 Disque"},
        };
        for (const auto& [field, value] : fields)
            t.SetValue(field, table::cp(value));
        catalogue::appendFilmRow(maker);
        t.SetValue("TITRE", table::cp(kLongTitle));
        t.SetValue("RESERVE1", table::cp(kLongTitle));
        t.SetValue("RESERVE0", "DVD");
        for (int row = 1; row <= t.RowCount(); ++row)
            t.SetCell(t.FieldIndex("LISTEMP"), row, "Anne;Paul");
        ASSERT_TRUE(catalogue::saveCatalogue(maker).ok);
        settings.writeBool("GENERAL", "PANELSCO", false);
        settings.writeBool("GENERAL", "PANELPCO", false);

        g_catalogueFolder = QString::fromStdString(dir.path().string());
        window = std::make_unique<ui::TfrmBase>(state, prompts, dir.path().string() + "/");
        window->createSecondaryWindows();
        window->show();
        const auto found = window->TreeFilm->findItems(QStringLiteral("Alien"), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty());
        window->TreeFilm->setCurrentItem(found.front());
        window->FindFilmRow();
    }

    TempDir dir;
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    std::unique_ptr<ui::TfrmBase> window;
};

// A window sized to fit keeps its usual size where its texts fit, and grows to the height that a
// text wrapped at its width needs, and to the width of its widest control.
TEST(SizeToFit, GrowsWhereTheTextsNeedMoreRoom)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* wrapped = new QLabel(&window);
    wrapped->setWordWrap(true);
    layout->addWidget(wrapped);
    EXPECT_EQ(ui::sizeToFit(&window, QSize(200, 60)), QSize(200, 60));

    wrapped->setText(QString(QStringLiteral("mot ")).repeated(80));
    const QSize grown = ui::sizeToFit(&window, QSize(200, 60));
    EXPECT_EQ(grown.width(), 200);
    EXPECT_EQ(grown.height(), layout->totalHeightForWidth(200));
    EXPECT_GT(grown.height(), 60);

    auto* wide = new QPushButton(QString(QStringLiteral("Un bouton au texte long")).repeated(3), &window);
    layout->addWidget(wide);
    EXPECT_GE(ui::sizeToFit(&window, QSize(200, 60)).width(), wide->minimumSizeHint().width());
}

TEST_F(LayoutFitTest, MainWindowWithItsThreePanels)
{
    ASSERT_FALSE(window->ADVSupp->isCollapsed());
    ASSERT_FALSE(window->ADVpret->isCollapsed());
    checkAndKeep(*window, QStringLiteral("main"));
}

// As at a first start: the supplementary and loan panels closed under their captions.
TEST_F(LayoutFitTest, MainWindowWithTwoPanelsClosed)
{
    window->ADVSupp->setCollapsed(true);
    window->ADVpret->setCollapsed(true);
    checkAndKeep(*window, QStringLiteral("main_panels_closed"));
    EXPECT_FALSE(window->ADVSupp->body()->isVisible());
    EXPECT_FALSE(window->ADVpret->body()->isVisible());
}

// The main window of a first start, without settings file or catalogue.
struct FirstStart
{
    FirstStart() : window(state, prompts, dir.path().string() + "/")
    {
        g_catalogueFolder = QString::fromStdString(dir.path().string());
        window.createSecondaryWindows();
    }
    TempDir dir;
    catalogue::CatalogueState state;
    ScriptedPrompts prompts;
    ui::TfrmBase window;
};

// A first start, without settings file or catalogue: everything that needs a catalogue waits.
TEST(LayoutFitFirstStart, MainWindowWithoutCatalogue)
{
    FirstStart first;
    auto& window = first.window;
    checkAndKeep(window, QStringLiteral("main_without_catalogue"));
    EXPECT_FALSE(window.TreeFilm->isEnabled());
    EXPECT_TRUE(first.prompts.transcript().empty());
}

// After a first start the supplementary panel is folded; unfolded, its boxes fit at any font.
TEST_F(LayoutFitTest, FirstStartSupplementaryPanelUnfoldedFitsItsBoxes)
{
    FirstStart first;
    auto& window = first.window;
    window.show();
    QApplication::processEvents();
    ASSERT_TRUE(window.ADVSupp->isCollapsed());
    window.ADVSupp->setCollapsed(false);
    QApplication::processEvents();
    QTest::qWait(20);
    const QStringList problems = cutTexts(window) + overlappingControls(window);
    EXPECT_TRUE(problems.isEmpty()) << settingName().toStdString() << ":\n  "
                                    << problems.join(QStringLiteral("\n  ")).toStdString();
    EXPECT_TRUE(window.techPanel()->cmbVideo->isVisible());
}

TEST_F(LayoutFitTest, LongTitleTakesTwoLines)
{
    const auto found =
        window->TreeFilm->findItems(QString::fromUtf8(kLongTitle), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty());
    window->TreeFilm->setCurrentItem(found.front());
    QApplication::processEvents();
    const QFontMetrics fm = window->recordView()->lblTitre->fontMetrics();
    ASSERT_GT(fm.horizontalAdvance(window->recordView()->lblTitre->text()),
              window->recordView()->lblTitre->contentsRect().width());
    EXPECT_GE(window->recordView()->lblTitre->contentsRect().height(), fm.lineSpacing() + fm.height());
    // The fields move down below the taller title.
    EXPECT_GE(window->recordView()->filtreNul->y(), window->recordView()->lblTitre->geometry().bottom());
    checkAndKeep(*window, QStringLiteral("main_long_title"));
}

TEST_F(LayoutFitTest, SecondaryWindows)
{
    const std::pair<QWidget*, const char*> windows[] = {
        {window->frmConf, "configuration"}, {window->frmExportH, "export_html"}, {window->frmSupport, "supports"},
        {window->frmGestEmp, "borrowers"},  {window->frmPret, "lend"},           {window->frmArchive, "archive"},
        {window->frmCherchebase, "search"}, {window->frmPrint, "print"},         {window->frmRecherche, "web_search"},
        {window->frmEtat, "progress"},      {window->frmVersions, "versions"},
    };
    for (const auto& [w, name] : windows) {
        ASSERT_NE(w, nullptr) << name;
        checkAndKeep(*w, QString::fromLatin1(name));
        w->hide();
    }
}

TEST_F(LayoutFitTest, EditorInBothModes)
{
    window->frmAjout->setEditorMode(ui::EditorMode::Edit);
    window->frmAjout->FormShow();
    checkAndKeep(*window->frmAjout, QStringLiteral("editor"));
    window->frmAjout->hide();
    window->frmAjout->setEditorMode(ui::EditorMode::Add);
    window->frmAjout->FormShow();
    checkAndKeep(*window->frmAjout, QStringLiteral("editor_add"));
    window->frmAjout->hide();
}

TEST_F(LayoutFitTest, SplashAndAbout)
{
    ui::TSplashForm splash;
    splash.setStep(5, 170);
    checkAndKeep(splash, QStringLiteral("splash"));
    ui::TfrmAbout about(prompts);
    checkAndKeep(about, QStringLiteral("about"));
    // Its two buttons stand in one row under the texts and the picture, OK on the right.
    for (const QLabel* label : about.findChildren<QLabel*>())
        EXPECT_LT(label->geometry().bottom(), about.btnSysInfo->geometry().top()) << label->text().toStdString();
    EXPECT_EQ(about.btnOk->y(), about.btnSysInfo->y());
    EXPECT_GT(about.btnOk->x(), about.btnSysInfo->geometry().right());
    EXPECT_TRUE(about.rect().contains(about.btnOk->geometry()));
}

// The standard boxes and dialogs, in French, as the program shows them.
TEST_F(LayoutFitTest, FrenchPromptsAndDialogs)
{
    ui::QtPrompts real;
    real.setParentWidget(window.get());
    const auto whenShown = [](const QString& name, const std::function<void(QWidget&)>& close) {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, name, close] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            checkAndKeep(*modal, name, name != QStringLiteral("save_dialog"));
            close(*modal);
        });
        timer->start();
    };
    const auto reject = [](QWidget& w) { static_cast<QDialog&>(w).reject(); };
    whenShown(QStringLiteral("question"), reject);
    real.question(
        QStringLiteral("Confirmation"),
        QStringLiteral("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de vouloir ajouter Alien ?"));
    whenShown(QStringLiteral("error_box"), [](QWidget& w) { static_cast<QDialog&>(w).accept(); });
    real.errorBox(QStringLiteral("Opération Arrétée"),
                  QStringLiteral("Il manque des catégories de support pour les films Selectionnés."),
                  ui::Prompts::Modality::System);
    whenShown(QStringLiteral("input_box"), reject);
    real.input(QStringLiteral("Emprunteur"), QStringLiteral("Nom du nouvel emprunteur :"), QString());
    whenShown(QStringLiteral("save_dialog"), reject);
    real.saveFile(QStringLiteral("Exporter une fiche"),
                  QStringLiteral("Fichier Moviecovers (*.film);;Fichier TXT (*.txt);;Tous les fichiers (*.*)"),
                  QString(), QString::fromStdString(dir.path().string()), true);
}
