// main of the widget suites: one QApplication on the offscreen platform for all cases.
#include <QApplication>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "ui/FrenchTranslations.h"
#include "ui/kit/AppStyle.h"

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's own settings (file dialogs' history and state) go to a test folder, not to the user's
    // configuration shared by every run on the machine.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    // The windows are tested with the same French standard buttons as the program shows (the
    // tests of those texts fail when the translations are missing).
    if (!cinevaro::ui::installFrenchTranslations(app))
        std::fprintf(stderr, "Qt's French translations (qtbase_fr) are not installed\n");
    cinevaro::ui::installAppStyle();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
