// The check list of the user-interface kit: markup, parameters, events.
#include "ui/kit/TParamCheckList.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace cinevaro::ui {
namespace {

const QString kItem = QStringLiteral("<FONT bgcolor=\"#FFCCFF\"><b><i><A href=\"Support1\">?</A> -> Tom & Jerry "
                                     "<x></i></b></FONT>");

TEST(ParamCheckListMarkup, RunsCarryStyleAndParameters)
{
    auto runs = TParamCheckList::parseMarkup(kItem);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].anchor);
    EXPECT_EQ(runs[0].href, QStringLiteral("Support1"));
    EXPECT_EQ(runs[0].text, QStringLiteral("?"));
    EXPECT_TRUE(runs[0].bold);
    EXPECT_TRUE(runs[0].italic);
    EXPECT_EQ(runs[0].background, QColor(0xFF, 0xCC, 0xFF));
    EXPECT_FALSE(runs[1].anchor);
    // Unknown tags and ampersands are plain text.
    EXPECT_EQ(runs[1].text, QStringLiteral(" -> Tom & Jerry <x>"));
    auto plain = TParamCheckList::parseMarkup(QStringLiteral("a < b"));
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].text, QStringLiteral("a < b"));
    EXPECT_FALSE(plain[0].background.isValid());
}

// An attribute without quotes ends at the next space, before the tag's other attributes.
TEST(ParamCheckListMarkup, AnUnquotedAttributeEndsAtTheNextSpace)
{
    const auto runs = TParamCheckList::parseMarkup(
        QStringLiteral("<FONT bgcolor=#FFCCFF size=2><A href=Support3 title=x>?</A></FONT>"));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].href, QStringLiteral("Support3"));
    EXPECT_EQ(runs[0].background, QColor(0xFF, 0xCC, 0xFF));
}

// Each style lasts from its opening tag to its closing one, and styles nest.
TEST(ParamCheckListMarkup, StylesLastUntilTheirClosingTag)
{
    const auto runs = TParamCheckList::parseMarkup(QStringLiteral("a<b>b<i>c</i>d</b>e<i>f</i>"));
    ASSERT_EQ(runs.size(), 6u);
    const std::pair<bool, bool> styles[] = {{false, false}, {true, false},  {true, true},
                                            {true, false},  {false, false}, {false, true}};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].text, QString(QLatin1Char(static_cast<char>('a' + i)))) << i;
        EXPECT_EQ(runs[i].bold, styles[i].first) << i;
        EXPECT_EQ(runs[i].italic, styles[i].second) << i;
    }
}

class ParamCheckListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        list.resize(400, 200);
        list.addMarkupItem(QStringLiteral("<A href=\"Support1\">?</A> -> Un"));
        list.addMarkupItem(QStringLiteral("<A href=\"Support2\">?</A> -> Deux <A href=\"Support2\">?</A>"));
        list.show();
        QApplication::processEvents();
    }
    TParamCheckList list;
};

TEST_F(ParamCheckListTest, ParamTextReadAndWrite)
{
    EXPECT_EQ(list.paramText(0, QStringLiteral("Support1")), QStringLiteral("?"));
    EXPECT_FALSE(list.paramText(0, QStringLiteral("Support2")).has_value());
    list.setParamText(1, QStringLiteral("Support2"), QStringLiteral("VHS"));
    EXPECT_EQ(list.itemMarkup(1), QStringLiteral("<A href=\"Support2\">VHS</A> -> Deux <A href=\"Support2\">VHS</A>"));
}

// A parameter is drawn in the parameter colour, the text around it in the list's text colour.
TEST_F(ParamCheckListTest, ParametersAreDrawnInTheirColourAndTheRestInTheTextColour)
{
    list.setParamColor(QColor(0, 0, 255));
    list.viewport()->update();
    QApplication::processEvents();
    const QImage row = list.viewport()->grab(list.visualItemRect(list.item(0))).toImage();
    const int textLeft = list.checkBoxRect(0).right() + 1;
    int blue = 0, dark = 0;
    for (int y = 0; y < row.height(); ++y)
        for (int x = textLeft; x < row.width(); ++x) {
            const QColor c = row.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 100 && c.green() < 100)
                ++blue;
            else if (c.red() < 100 && c.green() < 100 && c.blue() < 100)
                ++dark;
        }
    EXPECT_GT(blue, 5) << "the parameter \"?\"";
    EXPECT_GT(dark, 5) << "the text \" -> Un\"";
}

TEST_F(ParamCheckListTest, ClickOnTheCheckBoxTogglesAndReports)
{
    QSignalSpy spy(&list, &TParamCheckList::checkClick);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.checkBoxRect(1).center());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 1);
    EXPECT_TRUE(list.isChecked(1));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_FALSE(list.isChecked(1));
    EXPECT_EQ(spy.count(), 2);
}

// Resting the mouse on a parameter asks its owner for the hint: not asked off a parameter, not shown
// when the owner refuses it (even with a text) or gives none, shown when given. (A shown tip takes
// a while to hide: the case that shows one comes last.)
TEST_F(ParamCheckListTest, HintShownOnlyWhenTheOwnerGivesOne)
{
    QString given = QStringLiteral("Le support du film");
    bool allow = true;
    QStringList asked;
    QObject::connect(&list, &TParamCheckList::paramHint, &list,
                     [&](int, const QString& href, QString& hint, bool& show) {
                         asked << href;
                         hint = given;
                         show = allow;
                     });
    const auto restOn = [this](const QPoint& pos) {
        QHelpEvent help(QEvent::ToolTip, pos, list.viewport()->mapToGlobal(pos));
        QApplication::sendEvent(list.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    const QPoint param = list.paramRect(0, QStringLiteral("Support1")).center();
    ASSERT_FALSE(QToolTip::isVisible());

    EXPECT_EQ(restOn(list.checkBoxRect(1).center()), QString());
    EXPECT_TRUE(asked.isEmpty());
    allow = false;
    EXPECT_EQ(restOn(param), QString());
    allow = true;
    given.clear();
    EXPECT_EQ(restOn(param), QString());
    given = QStringLiteral("Le support du film");
    EXPECT_EQ(restOn(param), given);
    EXPECT_EQ(asked, QStringList(3, QStringLiteral("Support1")));
    QToolTip::hideText();
}

TEST_F(ParamCheckListTest, PopupRefusedByTheOwnerShowsNothing)
{
    int asked = 0;
    QObject::connect(&list, &TParamCheckList::paramPopup, &list,
                     [&](int index, const QString& href, QStringList&, bool& show) {
                         ++asked;
                         EXPECT_EQ(index, 0);
                         EXPECT_EQ(href, QStringLiteral("Support1"));
                         show = false;
                     });
    QSignalSpy selected(&list, &TParamCheckList::paramSelect);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.paramRect(0, QStringLiteral("Support1")).center());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(selected.count(), 0);
    EXPECT_EQ(list.currentRow(), 0);
    // A click on the plain text is no parameter click.
    QRect item = list.visualItemRect(list.item(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(item.right() - 5, item.center().y()));
    EXPECT_EQ(asked, 1);
}

TEST_F(ParamCheckListTest, ChoosingAValueReportsThenWritesIt)
{
    QString seenDuringSelect;
    QObject::connect(&list, &TParamCheckList::paramSelect, &list,
                     [&](int index, const QString& value, const QString& href) {
                         EXPECT_EQ(index, 0);
                         EXPECT_EQ(value, QStringLiteral("A&B"));
                         EXPECT_EQ(href, QStringLiteral("Support1"));
                         seenDuringSelect = *list.paramText(0, QStringLiteral("Support1"));
                     });
    list.setCurrentRow(0);
    list.chooseParamValue(0, QStringLiteral("Support1"), QStringLiteral("A&B"));
    EXPECT_EQ(seenDuringSelect, QStringLiteral("?"));
    EXPECT_EQ(list.paramText(0, QStringLiteral("Support1")), QStringLiteral("A&B"));
}

} // namespace
} // namespace cinevaro::ui
