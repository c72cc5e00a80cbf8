#include "catalogue/CatalogueState.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "catalogue/CatalogueRead.h"
#include "catalogue/Settings.h"
#include "table/Cp1252.h"
#include "table/MappedFile.h"
#include "table/Platform.h"

namespace cinevaro::catalogue {

namespace fs = std::filesystem;

const std::vector<std::string>& schemaFields()
{
    static const std::vector<std::string> fields = {
        "TITRE",     "REAL",        "DATE",        "ORIGINE",    "GENRE",    "DUREE",    "ACTEUR",   "RESUME",
        "DISTRIB",   "SON",         "VIDEO",       "RESERVE0",   "RESERVE1", "RESERVE2", "RESERVE3", "RESERVE4",
        "RESERVE5",  "RESERVE6",    "RESERVE7",    "RESERVE8",   "RESERVE9", "IFEMP",    "NOMEMP",   "LISTEMP",
        "DATEMP",    "FORMATVIDEO", "FORMATAUDIO", "RESOLUTION", "ZONE",     "BITVIDEO", "BITAUDIO", "SIZE",
        "FREQUENCE", "LANGUEP",     "LANGUES",     "SOUSTITRE",  "NBDISK"};
    return fields;
}

CatalogueState::CatalogueState() : CatalogueTable(std::make_unique<table::TMlb2>())
{
}

std::vector<std::string> CatalogueState::supportNames() const
{
    std::vector<std::string> names;
    for (const auto& s : SupportGroups) {
        if (s.Name.empty())
            break;
        names.push_back(s.Name);
    }
    return names;
}

CatalogueNames deriveNames(const std::string& fileName)
{
    CatalogueNames names;
    auto slash = fileName.find_last_of('/');
    names.dir = slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::string ext = ".cvo";
    for (auto pos = file.find(ext); pos != std::string::npos; pos = file.find(ext, pos))
        file.erase(pos, ext.size());
    names.name = file;
    names.collectionFolder = names.dir + names.name + "/";
    return names;
}

void commitNames(CatalogueState& state, const std::string& fileName)
{
    auto names = deriveNames(fileName);
    state.CatalogueFileName = fileName;
    state.CatalogueDir = names.dir;
    state.CatalogueName = names.name;
    state.CollectionFolder = names.collectionFolder;
}

void moveLegacyImages(const CatalogueState& state)
{
    std::error_code ec;
    fs::path legacy = fs::path(state.CatalogueDir.empty() ? "." : state.CatalogueDir) / "Images";
    fs::path target = fs::path(state.CollectionFolder);
    // A rename onto an existing (even empty) folder would replace it: leave both alone then.
    if (fs::exists(fs::symlink_status(target, ec)) || !fs::is_directory(legacy, ec))
        return;
    fs::rename(legacy, target, ec);
}

Outcome ensureCollectionFolder(const std::string& folder)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return Outcome::success();
    if (!fs::create_directories(folder, ec) && !fs::is_directory(folder, ec))
        return Outcome::failure(table::cp("Impossible de créer") + table::cp(folder), "Cinevaro");
    return Outcome::success();
}

std::string noOpenCatalogueMessage()
{
    return table::cp("Aucune base n'est ouverte : ouvrez ou créez une base (menu Base de Données) ; "
                     "rien n'a été enregistré");
}

VersionStore& versionsOf(CatalogueState& state)
{
    if (!state.Versions || state.Versions->catalogueFile() != state.CatalogueFileName)
        state.Versions = std::make_unique<VersionStore>(state.CatalogueFileName, state.CollectionFolder);
    return *state.Versions;
}

Outcome saveCatalogue(CatalogueState& state, const std::string& operation)
{
    if (!state.IsOpen)
        return Outcome::failure(noOpenCatalogueMessage(), "Cinevaro");
    // A catalogue being created keeps no version (operation "").
    VersionStore* versions = operation.empty() ? nullptr : &versionsOf(state);
    if (versions)
        versions->prepare(operation);
    if (!state.table().SaveToFile(state.CatalogueFileName)) {
        if (versions)
            versions->abort();
        return Outcome::failure(table::cp("La base ") + table::cp(state.CatalogueFileName) +
                                    table::cp(" n'a pas pu être enregistrée (disque plein ou accès refusé) ; "
                                              "le fichier précédent est conservé"),
                                "Cinevaro");
    }
    // The save stands even when its version could not be kept; the warning says so.
    Outcome kept = versions ? versions->commit() : Outcome::success();
    state.VersionWarning = kept ? std::string() : kept.message;
    return Outcome::success();
}

void resetDefaultSupports(CatalogueState& state)
{
    for (auto& s : state.SupportGroups) {
        s.Name.clear();
        s.Number = 0;
    }
    const char* defaults[] = {"DivX", "DVD", "VHS"};
    if (state.SupportGroups.size() < 3)
        state.SupportGroups.resize(3);
    for (int i = 0; i < 3; ++i) {
        state.SupportGroups[i].Name = defaults[i];
        state.SupportGroups[i].Number = i + 1;
    }
}

Outcome InitFirstRow(CatalogueState& state)
{
    auto& t = state.table();
    t.AppendRow();
    resetDefaultSupports(state);
    t.SetValue("RESERVE2", kDefaultSupports);
    return saveCatalogue(state, {});
}

Outcome CreateCatalogueFile(CatalogueState& state, Settings* settings)
{
    state.CatalogueTable = std::make_unique<table::TMlb2>();
    for (const auto& f : schemaFields())
        state.table().AddField(f);
    state.IsOpen = true;
    if (auto saved = saveCatalogue(state, {}); !saved) {
        state.IsOpen = false;
        return saved;
    }
    if (settings)
        settings->writeString("GENERAL", "FICHIERBASE", state.CatalogueFileName);
    return InitFirstRow(state);
}

namespace {

// loadCatalogue; `kept` receives the mapped file, when it was mapped, and what is known of it.
Outcome loadCatalogueKeeping(CatalogueState& state, CatalogueRead* kept)
{
    state.CurrentRow = 1;
    // At start-up the file may have been read ahead while the windows were made.
    std::optional<CatalogueRead> read = takeCatalogueReadAhead(state.CatalogueFileName);
    if (!read)
        read = readCatalogueFile(state.CatalogueFileName, true);
    if (!read->ok) {
        state.CatalogueTable = std::make_unique<table::TMlb2>();
        state.IsOpen = false;
        const int code = read->table->LastErrorCode();
        std::string why = code == 3   ? table::cp("le fichier ne peut pas être ouvert en lecture")
                          : code == 4 ? table::cp("il annonce bien plus de fiches que sa taille ne peut en contenir "
                                                  "et demanderait trop de mémoire")
                                      : table::cp("ce n'est pas une base Cinevaro valide");
        return Outcome::failure(table::cp("Impossible de lire la base ") + table::cp(state.CatalogueFileName) + " : " +
                                    why + table::cp(". Le fichier n'a pas été modifié"),
                                "Cinevaro");
    }
    state.CatalogueTable = std::move(read->table);
    state.IsOpen = true;
    if (kept) {
        kept->bytes = std::move(read->bytes);
        kept->serialisesToBytes = read->serialisesToBytes;
    }
    return Outcome::success();
}

} // namespace

Outcome loadCatalogue(CatalogueState& state)
{
    return loadCatalogueKeeping(state, nullptr);
}

namespace {

// True when the file at `path` holds exactly `bytes` (read in blocks: no second copy of a large
// catalogue in memory).
bool fileHolds(const std::string& path, const std::string& bytes)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size != bytes.size())
        return false;
    std::ifstream in(path, std::ios::binary); // a file that cannot be opened fails the first read
    char block[1 << 16];
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t want = std::min(sizeof block, bytes.size() - done);
        if (!in.read(block, static_cast<std::streamsize>(want)) || std::memcmp(block, bytes.data() + done, want) != 0)
            return false;
        done += want;
    }
    return true;
}

} // namespace

Outcome OpenCatalogue(CatalogueState& state)
{
    CatalogueRead before;
    if (auto loaded = loadCatalogueKeeping(state, &before); !loaded)
        return loaded;
    // A file already in the form the open gives it is left as it is: writing the same bytes
    // again would cost a full save and add a version identical to the file. The read ahead at
    // start-up has already compared them.
    const bool unchanged = !before.bytes              ? fileHolds(state.CatalogueFileName, state.table().SaveToBuffer())
                           : before.serialisesToBytes ? *before.serialisesToBytes
                                                      : state.table().SerialisesTo(before.bytes->bytes());
    if (unchanged)
        return Outcome::success();
    before.bytes.reset();
    return saveCatalogue(state, table::cp("Ouverture de la base"));
}

void ParseSupportList(CatalogueState& state)
{
    auto& t = state.table();
    if (t.RowCount() < 1)
        return;
    int col = t.FieldIndex("RESERVE2");
    std::string list = col > 0 ? t.GetCell(col, 1) : std::string();
    if (list.empty())
        return;
    for (auto& s : state.SupportGroups) {
        s.Name.clear();
        s.Number = 0;
    }
    std::size_t k = 0;
    std::size_t start = 0;
    for (;;) {
        auto semi = list.find(';', start);
        std::string piece = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (state.SupportGroups.size() <= k)
            state.SupportGroups.resize(k + 1);
        state.SupportGroups[k].Name = piece;
        state.SupportGroups[k].Number = static_cast<int>(k + 1);
        ++k;
        if (semi == std::string::npos)
            break;
        start = semi + 1;
    }
}

Outcome newCatalogue(CatalogueState& state, const std::string& fileName, Settings* settings)
{
    auto names = deriveNames(fileName);
    if (auto folder = ensureCollectionFolder(names.collectionFolder); !folder)
        return folder;
    commitNames(state, fileName);
    if (auto created = CreateCatalogueFile(state, settings); !created)
        return created;
    return OpenCatalogue(state);
}

Outcome openCatalogueFile(CatalogueState& state, const std::string& fileName, Settings* settings)
{
    commitNames(state, fileName);
    if (settings)
        settings->writeString("GENERAL", "FICHIERBASE", fileName);
    moveLegacyImages(state);
    if (auto opened = OpenCatalogue(state); !opened)
        return opened;
    if (state.table().RowCount() == 0)
        return InitFirstRow(state);
    return Outcome::success();
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> pieces;
    if (text.empty())
        return pieces;
    std::string::size_type start = 0;
    while (true) {
        auto semi = text.find(';', start);
        if (semi == std::string::npos) {
            pieces.push_back(text.substr(start));
            break;
        }
        pieces.push_back(text.substr(start, semi - start));
        start = semi + 1;
    }
    return pieces;
}

std::string joinList(const std::vector<std::string>& names)
{
    std::string joined;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            joined += ';';
        joined += names[i];
    }
    return joined;
}

int appendFilmRow(CatalogueState& state)
{
    auto& t = state.table();
    std::string borrowers, supports;
    if (t.RowCount() >= 1) {
        int lc = t.FieldIndex("LISTEMP");
        int sc = t.FieldIndex("RESERVE2");
        borrowers = lc > 0 ? t.GetCell(lc, 1) : std::string();
        supports = sc > 0 ? t.GetCell(sc, 1) : std::string();
    }
    t.AppendRow();
    if (!borrowers.empty())
        t.SetValue("LISTEMP", borrowers);
    if (!supports.empty())
        t.SetValue("RESERVE2", supports);
    return t.RowCount();
}

} // namespace cinevaro::catalogue
