// The about box's system information: its own window, read-only, closed by its button.
#include "ui/TfrmAbout.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/ScriptedPrompts.h"

namespace {

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
