#include "output/Archive.h"

#include <filesystem>

#include "catalogue/CatalogueState.h"
#include "output/TZipMaster.h"
#include "table/Cp1252.h"

namespace cinevaro::output {

catalogue::Outcome archiveCatalogue(const std::string& catalogueFile, const std::string& zipPath,
                                    const ArchiveProgress& progress)
{
    if (catalogueFile.empty())
        return catalogue::Outcome::failure(table::cp("Aucune base de données n'est ouverte"));
    const catalogue::CatalogueNames names = catalogue::deriveNames(catalogueFile);
    TZipMaster zip;
    zip.AddCompLevel = 9;
    zip.AddOptions = AddDirNames | AddRecurseDirs;
    zip.AddRootDir = names.dir;
    zip.OnProgress = progress;
    if (auto opened = zip.setZipFilename(zipPath); !opened)
        return opened;
    zip.FSpecArgs = {catalogueFile, names.collectionFolder + "*.*"};
    return zip.Add();
}

} // namespace cinevaro::output
