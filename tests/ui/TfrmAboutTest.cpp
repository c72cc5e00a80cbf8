// The about box's system information: its own window, read-only, closed by its button.
#include "ui/TfrmAbout.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include "support/ScriptedPrompts.h"

namespace {

namespace ct = cinevaro::testing;

TEST(TfrmAboutTest, SystemInformationShowsInItsOwnWindowUntilClosed)
{
    cinevaro::testing::ScriptedPrompts prompts;
    cinevaro::ui::TfrmAbout about(prompts);
    QString shown;
    bool readOnly = false;
    prompts.answerModal([&](QDialog& dialog) {
        if (const auto* text = dialog.findChild<QPlainTextEdit*>()) {
            shown = text->toPlainText();
            readOnly = text->isReadOnly();
        }
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("Fermer"))
                button->click();
        return dialog.result();
    });
    QTest::mouseClick(about.btnSysInfo, Qt::LeftButton);
    ASSERT_EQ(prompts.transcript().size(), 1u);
    EXPECT_EQ(prompts.transcript()[0].kind, QStringLiteral("modal"));
    EXPECT_EQ(prompts.transcript()[0].caption, QStringLiteral("Informations Système"));
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(shown.contains(QStringLiteral("Qt : ") + QLatin1String(qVersion()))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Plate-forme graphique : ") + QGuiApplication::platformName()))
        << shown.toStdString();
}

// The window is as large as its facts: each shows whole on its own line, without scrolling,
// however long the system's name or the kernel's version, and at a large font.
TEST(TfrmAboutTest, SystemInformationShowsEveryLineWhole)
{
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPointSizeF(usual.pointSizeF() * 2);
    QApplication::setFont(large);
    cinevaro::testing::ScriptedPrompts prompts;
    cinevaro::ui::TfrmAbout about(prompts);
    prompts.answerModal([&](QDialog& dialog) {
        QApplication::processEvents();
        auto* text = dialog.findChild<QPlainTextEdit*>();
        EXPECT_NE(text, nullptr);
        if (!text)
            return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Rejected);
        const QFontMetrics metrics(text->font());
        const QRect view = text->viewport()->rect();
        const double margin = text->document()->documentMargin();
        int lines = 0;
        for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next(), ++lines) {
            EXPECT_LE(2 * margin + metrics.horizontalAdvance(block.text()), view.width()) << block.text().toStdString();
            EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
        }
        EXPECT_GE(lines, 6);
        EXPECT_LE(2 * margin + lines * metrics.lineSpacing(), view.height());
        return ct::ScriptedPrompts::closeWindow(dialog, QDialog::Accepted);
    });
    QTest::mouseClick(about.btnSysInfo, Qt::LeftButton);
    QApplication::setFont(usual);
    ASSERT_EQ(prompts.transcript().size(), 1u);
}

// One line per fact, each with its value, in this order.
TEST(TfrmAboutTest, SystemInformationNamesTheSystemTheMachineAndQt)
{
    const QStringList lines = cinevaro::ui::TfrmAbout::systemInformation().split(QLatin1Char('\n'));
    const QStringList expected = {
        QStringLiteral("Système : ") + QSysInfo::prettyProductName(),
        QStringLiteral("Noyau : ") + QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion(),
        QStringLiteral("Architecture : ") + QSysInfo::currentCpuArchitecture(),
        QStringLiteral("Machine : ") + QSysInfo::machineHostName(),
        QStringLiteral("Qt : ") + QLatin1String(qVersion()),
        QStringLiteral("Plate-forme graphique : ") + QGuiApplication::platformName(),
    };
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(lines.mid(0, expected.size()), expected);
}

// "OK" closes the about box.
TEST(TfrmAboutTest, OkClosesTheBox)
{
    cinevaro::testing::ScriptedPrompts prompts;
    cinevaro::ui::TfrmAbout about(prompts);
    about.show();
    about.setResult(-1);
    QTest::mouseClick(about.btnOk, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

} // namespace
