// Cinevaro [FILE.cvo]: the main window first (it reopens the last catalogue), then the splash while the
// other windows are created, then the event loop.
#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include <fontconfig/fontconfig.h>

#include "catalogue/CatalogueRead.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/Settings.h"
#include "table/Platform.h"
#include "ui/FrenchTranslations.h"
#include "ui/QtPrompts.h"
#include "ui/StartArguments.h"
#include "ui/TSplashForm.h"
#include "ui/TfrmBase.h"
#include "ui/kit/AppStyle.h"
#include "ui/kit/Text.h"

namespace {
constexpr std::size_t kStartHeap = std::size_t{6} << 20;
} // namespace

int main(int argc, char** argv)
{
    cinevaro::table::keepFreedMemoryForReuse();
    // The window takes about this much heap before it answers; its pages are made present beside.
    cinevaro::table::prefaultHeap(kStartHeap);
    // The splash's picture is drawn on another thread while the main window is built. That thread
    // first loads the system's font configuration, the longest step before any text can be
    // measured, while Qt starts here; the window's first text waits for it. Qt finds it loaded.
    std::promise<void> appMade;
    auto banner = std::async(std::launch::async, [made = appMade.get_future()] {
        FcInit();
        made.wait();
        return cinevaro::ui::TSplashForm::drawPicture();
    });
    QApplication app(argc, argv);
    appMade.set_value();
    QApplication::setApplicationName(QStringLiteral("Cinevaro"));
    QApplication::setApplicationDisplayName(QStringLiteral("Cinevaro"));
    cinevaro::ui::installFrenchTranslations(app);
    cinevaro::ui::installAppStyle();

    std::string exeDir = QApplication::applicationDirPath().toStdString();
    if (!exeDir.empty() && exeDir.back() != '/')
        exeDir += '/';

    // Numbers in the catalogue are read and written with the system's decimal separator.
    if (const auto separator = cinevaro::ui::decimalSeparatorOf(QLocale::system()))
        cinevaro::table::setSystemDecimalSeparator(*separator);

    cinevaro::catalogue::CatalogueState state;
    cinevaro::ui::QtPrompts prompts;
    const std::string settingsFile = cinevaro::catalogue::Settings::defaultPath(exeDir);
    // `cinevaro FILE.cvo` (the desktop entry's way) makes FILE the catalogue that start-up opens.
    cinevaro::ui::adoptStartCatalogue(QApplication::arguments(), settingsFile, prompts);
    // That catalogue is read on another thread while the main window is made; its open takes the
    // table when the file is still the one read.
    if (const std::string last = cinevaro::catalogue::Settings(settingsFile).readString("GENERAL", "FICHIERBASE", "");
        !last.empty())
        cinevaro::catalogue::readCatalogueAhead(last);
    cinevaro::ui::TfrmBase frmBase(state, prompts, exeDir);

    {
        cinevaro::ui::TSplashForm splash(banner.get());
        splash.show();
        splash.setStep(1, 130);
        frmBase.createSecondaryWindows([&splash](int step) { splash.setStep(step, 120 + 10 * step); });
        splash.setStep(13, 250);
    }
    frmBase.show();
    // Launch timing (bench/) and the launch test: once the shown window's pending events are handled,
    // say what it shows (Qt's "Cancel" as translated, the film count) and that it is ready, and leave.
    if (const char* ready = std::getenv("CINEVARO_EXIT_WHEN_READY"); ready && *ready) {
        QTimer::singleShot(0, &app, [&frmBase] {
            const QString shown = QCoreApplication::translate("QPlatformTheme", "Cancel") + QLatin1Char('\t') +
                                  frmBase.statusText(0) + QLatin1Char('\n');
            std::fputs(shown.toUtf8().constData(), stdout);
            std::fputs("cinevaro-ready\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}
