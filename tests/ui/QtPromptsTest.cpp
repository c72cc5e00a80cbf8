// The real message boxes and dialogs: French buttons, the duplicate question's "&Oui"/"&Non",
// the error box's caption and level, and the filter chosen in a save dialog.
#include "ui/QtPrompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>

#include <gtest/gtest.h>

#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

using namespace cinevaro;
using namespace cinevaro::testing;

namespace {

// Runs `inspect` on the modal window once it is shown, then lets the prompt return.
void whenModalShown(const std::function<void(QWidget&)>& inspect)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        inspect(*modal);
    });
    timer->start();
}

QStringList buttonTexts(QWidget& box)
{
    QStringList texts;
    for (auto* b : box.findChildren<QDialogButtonBox*>())
        for (auto* button : b->buttons())
            if (button->isVisible())
                texts << button->text();
    texts.sort();
    return texts;
}

QAbstractButton* buttonWithText(QWidget& box, const QString& text)
{
    for (auto* button : box.findChildren<QAbstractButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

TEST(QtPromptsTest, QuestionAnswersOuiOrNon)
{
    ui::QtPrompts prompts;
    QStringList seen;
    QString caption;
    whenModalShown([&](QWidget& box) {
        seen = buttonTexts(box);
        caption = box.windowTitle();
        buttonWithText(box, QStringLiteral("&Non"))->click();
    });
    EXPECT_FALSE(prompts.question(QStringLiteral("Confirmation"),
                                  QStringLiteral("La gestion des Doublons n'est pas parfaite\r\nEtes vous sur de "
                                                 "vouloir ajouter Alien ?")));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("&Non"), QStringLiteral("&Oui")}));
    EXPECT_EQ(caption, QStringLiteral("Confirmation"));

    whenModalShown([&](QWidget& box) { buttonWithText(box, QStringLiteral("&Oui"))->click(); });
    EXPECT_TRUE(prompts.question(QStringLiteral("Confirmation"), QStringLiteral("Supprimer ?")));
}

// Another language installed over the French one names Qt's own Yes and No otherwise; the
// question still answers "&Oui" or "&Non".
TEST(QtPromptsTest, QuestionAnswersOuiOrNonUnderAnyTranslation)
{
    class OtherLanguage final : public QTranslator
    {
    public:
        QString translate(const char* context, const char* source, const char*, int) const override
        {
            if (qstrcmp(context, "QPlatformTheme") != 0)
                return {};
            if (qstrcmp(source, "&Yes") == 0)
                return QStringLiteral("&Ja");
            if (qstrcmp(source, "&No") == 0)
                return QStringLiteral("&Nein");
            return {};
        }
        bool isEmpty() const override { return false; }
    } other;
    ASSERT_TRUE(QCoreApplication::installTranslator(&other));
    ui::QtPrompts prompts;
    QStringList seen;
    whenModalShown([&](QWidget& box) {
        seen = buttonTexts(box);
        for (auto* button : box.findChildren<QAbstractButton*>())
            if (button->text() == QStringLiteral("&Non") || button->text() == QStringLiteral("&Nein"))
                button->click();
    });
    EXPECT_FALSE(prompts.question(QStringLiteral("Confirmation"), QStringLiteral("Supprimer ?")));
    QCoreApplication::removeTranslator(&other);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("&Non"), QStringLiteral("&Oui")}));
}

TEST(QtPromptsTest, InputBoxAndFileDialogsSpeakFrench)
{
    ui::QtPrompts prompts;
    QStringList seen;
    whenModalShown([&](QWidget& box) {
        seen = buttonTexts(box);
        buttonWithText(box, QStringLiteral("Annuler"))->click();
    });
    EXPECT_FALSE(prompts.input(QStringLiteral("Emprunteur"), QStringLiteral("Nom :"), QString()).has_value());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Annuler"), QStringLiteral("OK")}));

    // Qt's own save dialog (the platform's native one is not used offscreen).
    TempDir dir;
    QStringList dialogButtons;
    whenModalShown([&](QWidget& box) {
        dialogButtons = buttonTexts(box);
        buttonWithText(box, QStringLiteral("Annuler"))->click();
    });
    EXPECT_TRUE(prompts
                    .saveFileName(QStringLiteral("Archivage"), QStringLiteral("Fichier Zip (*.zip)"),
                                  QStringLiteral("zip"), QString::fromStdString(dir.path().string()), true)
                    .isEmpty());
    EXPECT_EQ(dialogButtons, (QStringList{QStringLiteral("&Enregistrer"), QStringLiteral("Annuler")}));
}

TEST(QtPromptsTest, InformationAndWarningCarryOk)
{
    ui::QtPrompts prompts;
    QStringList seen;
    whenModalShown([&](QWidget& box) {
        seen = buttonTexts(box);
        static_cast<QDialog&>(box).accept();
    });
    prompts.warning(QStringLiteral("Attention"), QStringLiteral("Aucune imprimante n'est disponible."));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("OK")}));
}

TEST(QtPromptsTest, ErrorBoxHasItsCaptionAndStaysOnTop)
{
    ui::QtPrompts prompts;
    QString caption, text;
    bool onTop = false, critical = false;
    Qt::WindowModality modality = Qt::NonModal;
    whenModalShown([&](QWidget& box) {
        caption = box.windowTitle();
        if (auto* message = qobject_cast<QMessageBox*>(&box)) {
            text = message->text();
            critical = message->icon() == QMessageBox::Critical;
        }
        onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        modality = box.windowModality();
        buttonWithText(box, QStringLiteral("OK"))->click();
    });
    prompts.errorBox(QStringLiteral("Opération Arrétée"),
                     QStringLiteral("Il manque des catégories de support pour les films Selectionnés."),
                     ui::Prompts::Modality::System);
    EXPECT_EQ(caption, QStringLiteral("Opération Arrétée"));
    EXPECT_EQ(text, QStringLiteral("Il manque des catégories de support pour les films Selectionnés."));
    EXPECT_TRUE(critical);
    EXPECT_TRUE(onTop);
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

TEST(QtPromptsTest, SaveDialogReturnsTheChosenFilter)
{
    ui::QtPrompts prompts;
    TempDir dir;
    const QString filters = QStringLiteral("Fichier Film (*.film);;Fichier TXT (*.txt)");
    whenModalShown([&](QWidget& box) {
        auto* dialog = qobject_cast<QFileDialog*>(&box);
        ASSERT_NE(dialog, nullptr);
        dialog->selectNameFilter(QStringLiteral("Fichier TXT (*.txt)"));
        // Typed into the name box as a user does: selectFile() leaves the box alone once it has the
        // focus, which the dialog gives it at a moment of its own (the test hung when it came first).
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("alien"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto choice = prompts.saveFile(QStringLiteral("Exporter une fiche"), filters, QString(),
                                         QString::fromStdString(dir.path().string()), true);
    EXPECT_TRUE(choice.fileName.endsWith(QStringLiteral("/alien")));
    EXPECT_EQ(choice.filter, QStringLiteral("Fichier TXT (*.txt)"));
    EXPECT_EQ(choice.filterIndex, 1);
}

TEST(QtPromptsTest, ScriptedSaveAnswersKeepTheirFilter)
{
    ScriptedPrompts prompts;
    const QString filters = QStringLiteral("Fichier Film (*.film);;Fichier TXT (*.txt)");
    prompts.answerSave(QStringLiteral("/tmp/alien"), QStringLiteral("Fichier TXT (*.txt)"));
    prompts.answerFile(QStringLiteral("/tmp/brazil"));
    prompts.answerFile(QString());
    auto first = prompts.saveFile(QStringLiteral("Exporter"), filters, QString(), QString(), true);
    EXPECT_EQ(first.fileName, QStringLiteral("/tmp/alien"));
    EXPECT_EQ(first.filterIndex, 1);
    auto second = prompts.saveFile(QStringLiteral("Exporter"), filters, QString(), QString(), true);
    EXPECT_EQ(second.filter, QStringLiteral("Fichier Film (*.film)"));
    EXPECT_EQ(second.filterIndex, 0);
    EXPECT_TRUE(prompts.saveFileName(QStringLiteral("Exporter"), filters, QString(), QString(), true).isEmpty());
    EXPECT_TRUE(prompts.allAnswered());
    prompts.errorBox(QStringLiteral("Opération Arrétée"), QStringLiteral("Texte"), ui::Prompts::Modality::System);
    EXPECT_EQ(prompts.transcript().back().kind, QStringLiteral("error"));
    EXPECT_TRUE(prompts.transcript().back().systemModal);
}

TEST(QtPromptsTest, MessageTextsAreShownAsPlainText)
{
    // A title holding markup, as a deletion question or an error would quote it.
    const QString text = QStringLiteral("Etes vous sur de Vouloir Supprimer <b>Alien</b> <i>8</i> ?");
    ui::QtPrompts prompts;
    const auto check = [&](const QString& answer) {
        whenModalShown([&text, answer](QWidget& box) {
            auto* message = qobject_cast<QMessageBox*>(&box);
            ASSERT_NE(message, nullptr);
            EXPECT_EQ(message->textFormat(), Qt::PlainText);
            EXPECT_TRUE(message->text().startsWith(text));
            buttonWithText(box, answer)->click();
        });
    };
    check(QStringLiteral("&Non"));
    EXPECT_FALSE(prompts.question(QStringLiteral("Confirmation"), text));
    check(QStringLiteral("OK"));
    prompts.information(QStringLiteral("Attention"), text);
    check(QStringLiteral("OK"));
    prompts.warning(QStringLiteral("Attention"), text);
    check(QStringLiteral("OK"));
    prompts.error(text);
    check(QStringLiteral("OK"));
    prompts.errorBox(QStringLiteral("Cinevaro"), text, ui::Prompts::Modality::Application);
}
