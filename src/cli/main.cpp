#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <iostream>

#include "cli/Cli.h"
#include "table/Platform.h"

namespace {

// The tool prints only its own messages: the notices and warnings of the Qt libraries (such as
// the one about XDG_RUNTIME_DIR when the pdf command starts its offscreen application) are
// dropped. A fatal one is still shown, since the program stops on it.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv)
{
    cinevaro::table::keepFreedMemoryForReuse();
    qInstallMessageHandler(qtMessage);
    cinevaro::cli::Args args(argv + 1, argv + argc);
    return cinevaro::cli::run(args, std::cout, std::cerr);
}
