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

} // namespace
