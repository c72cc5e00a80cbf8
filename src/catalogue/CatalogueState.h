// The open catalogue: its table, the names derived from its file, the parsed support list and
// the state the windows share (current row, film index, filter flags). One object, owned by the
// application (or by a command-line command) and handed by reference to whoever needs it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"
#include "catalogue/Versions.h"
#include "table/TMlb2.h"

namespace cinevaro::catalogue {

class Settings;

// The 37 fields of a movie record, in file order.
const std::vector<std::string>& schemaFields();
// Support list of a new catalogue.
inline const std::string kDefaultSupports = "DivX;DVD;VHS";
// Positions of the cells some operations read by position.
enum FieldPos : int {
    posTITRE = 1,
    posREAL = 2,
    posDATE = 3,
    posORIGINE = 4,
    posGENRE = 5,
    posDUREE = 6,
    posACTEUR = 7,
    posRESUME = 8,
    posDISTRIB = 9,
    posRESERVE0 = 12,
    posRESERVE1 = 13,
    posRESERVE2 = 14,
    posRESERVE3 = 15,
    posIFEMP = 22,
    posNOMEMP = 23,
    posLISTEMP = 24,
    posDATEMP = 25,
};

// One support group. The list ends at the first entry whose name is empty; it grows as needed.
struct Supp
{
    int Number = 0;
    std::string Name;
    bool Expanded = false;
};

// ActorFilterName while no actor filter is set: a text no cast-list entry can be (";" separates them).
inline const std::string kNoActorFilter = ";";

// Where a film row was last put in the tree; indexed by row number.
struct FilmIndexEntry
{
    std::string Caption;
    int Row = 0; // 0: not in the tree
    std::string Title;
    std::string Support;
};

class CatalogueState
{
public:
    CatalogueState();

    table::TMlb2& table() { return *CatalogueTable; }
    const table::TMlb2& table() const { return *CatalogueTable; }

    std::unique_ptr<table::TMlb2> CatalogueTable;
    std::string CatalogueFileName;
    std::string CatalogueDir;     // with a trailing separator
    std::string CatalogueName;    // file name with every ".cvo" removed
    std::string CollectionFolder; // CatalogueDir + CatalogueName + separator
    std::vector<Supp> SupportGroups;
    int CurrentRow = 0;
    std::vector<FilmIndexEntry> FilmIndex; // entry n for row n (entry 0 unused)
    bool IsOpen = false;                   // a catalogue is open (tree and panels enabled)

    // Filter and search state shared by the tree and the filters.
    bool FilterActive = false;
    bool ActorFilterActive = false;
    std::string ActorFilterName = kNoActorFilter;
    bool SearchActive = false;
    int FilmCount = 0;
    // The technical panel holds edits that are not saved yet.
    bool TechModified = false;
    // Kept versions of the open catalogue file (undo, redo, restore), made at the first save.
    std::unique_ptr<VersionStore> Versions;
    // Why the last save could not keep the replaced file as a version ("" when it could).
    std::string VersionWarning;

    // Supports up to the first empty name.
    std::vector<std::string> supportNames() const;
};

// ---------------------------------------------------------------------------------------------
// Opening and saving: the program's named procedures. Capitalised names are the program's own
// procedures, kept under those names because the windows' handlers are written around them; each
// is one step that the menu commands further down chain.
// ---------------------------------------------------------------------------------------------

// Writes a new catalogue file (schema, no rows), records it as the last catalogue when settings
// are given, then InitFirstRow. The new file is the open catalogue from then on; a failure
// leaves none open.
Outcome CreateCatalogueFile(CatalogueState& state, Settings* settings);
// Gives an empty table its header row with the default supports and saves.
Outcome InitFirstRow(CatalogueState& state);
// Loads CatalogueFileName into a new table, completes the schema, normalises, sorts by TITRE and
// saves when that changed the file's bytes (an unchanged file is not written and gets no
// version). On a read failure the file is untouched, no catalogue is open and the message says
// why; a failed save is reported too, the catalogue then staying open as read.
Outcome OpenCatalogue(CatalogueState& state);
// SupportGroups from RESERVE2 of row 1 (unchanged when that is empty).
void ParseSupportList(CatalogueState& state);

// ---------------------------------------------------------------------------------------------
// Menu commands: what "&Nouvelle Base" and "&Ouvrir Base" do once the file name is chosen.
// ---------------------------------------------------------------------------------------------

// "&Nouvelle Base": collection folder, file, open.
Outcome newCatalogue(CatalogueState& state, const std::string& fileName, Settings* settings);
// "&Ouvrir Base": FICHIERBASE, legacy move, open, header row.
Outcome openCatalogueFile(CatalogueState& state, const std::string& fileName, Settings* settings);

// ---------------------------------------------------------------------------------------------
// Helpers the procedures and commands share; the command-line tool and the editing operations
// call them directly.
// ---------------------------------------------------------------------------------------------

// Saves the table to the catalogue file; a failure leaves the previous file intact and returns
// the French message to show. Refused while no catalogue is open (IsOpen false): after a failed
// open CatalogueFileName still names the unreadable file, which must never be overwritten.
// The replaced file is kept as a version named after the operation (none for "", the saves that
// create a catalogue).
Outcome saveCatalogue(CatalogueState& state, const std::string& operation = "Modification");
// OpenCatalogue without the final save, for commands that only read and to read back a file just
// written.
Outcome loadCatalogue(CatalogueState& state);
// "Aucune base n'est ouverte ..." (Windows-1252): why a command that saves is refused.
std::string noOpenCatalogueMessage();
// The version store of the catalogue file (made when first needed).
VersionStore& versionsOf(CatalogueState& state);
// Resets SupportGroups to DivX, DVD, VHS.
void resetDefaultSupports(CatalogueState& state);

// Appends a film row that carries the catalogue's borrower list (LISTEMP of row 1) and support
// list (RESERVE2 of row 1); the cursor is left on it. Returns its row number.
int appendFilmRow(CatalogueState& state);

// Pieces of a list joined by ";" (actors, supports, borrowers): none for the empty text,
// otherwise every piece, empty ones included.
std::vector<std::string> splitList(const std::string& text);
// Names joined by ";", nothing after the last.
std::string joinList(const std::vector<std::string>& names);

// ---------------------------------------------------------------------------------------------
// File names and folders of a catalogue.
// ---------------------------------------------------------------------------------------------

struct CatalogueNames
{
    std::string dir;
    std::string name;
    std::string collectionFolder;
};

// Folder (with separator), name without ".cvo" (case-sensitive, every occurrence) and collection folder.
CatalogueNames deriveNames(const std::string& fileName);
// Sets CatalogueFileName and the names derived from it.
void commitNames(CatalogueState& state, const std::string& fileName);
// Renames a legacy "Images" folder beside the catalogue into the collection folder, unless the
// collection folder already exists (even empty). Failures are ignored.
void moveLegacyImages(const CatalogueState& state);
// Creates the collection folder when missing; failure: "Impossible de créer" + folder.
Outcome ensureCollectionFolder(const std::string& folder);

} // namespace cinevaro::catalogue
