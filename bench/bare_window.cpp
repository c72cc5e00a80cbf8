// The floor the launcher benchmark compares start-up with: a Qt window holding an empty tree,
// shown, answering its event loop once, then leaving (CINEVARO_EXIT_WHEN_READY, as cinevaro).
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTreeWidget tree;
    tree.setHeaderHidden(true);
    tree.resize(847, 561);
    tree.show();
    if (const char* ready = std::getenv("CINEVARO_EXIT_WHEN_READY"); ready && *ready) {
        QTimer::singleShot(0, &app, [] {
            std::fputs("cinevaro-ready\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return app.exec();
}
