// cinevaro-cli archive FILE.cvo OUT.zip: the archive the "Archiver" command writes.
#include <filesystem>
#include <ostream>

#include "cli/Commands.h"
#include "output/Archive.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

int cmdArchive(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]) || isOption(args[1]))
        return usageOf("archive", err);
    if (!requireExistingFile(args[0], err))
        return 1;
    std::error_code ec;
    const std::string catalogueFile = std::filesystem::absolute(args[0], ec).lexically_normal().string();
    if (auto written = output::archiveCatalogue(catalogueFile, args[1]); !written)
        return fail(written, err);
    out << table::cp1252ToUtf8(table::cp("Archivage Terminé")) << "\n";
    return 0;
}

} // namespace cinevaro::cli
