// Saving a movie record as the manual editor does: the values of the editor's boxes, their
// normalisations (upper-case title and distributor, running time as hours "H" minutes), the
// cover copy, the save of the catalogue and its reopening. The editor window and the
// command-line tool both go through these operations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Outcome.h"
#include "editing/FilmFile.h"

namespace cinevaro::editing {

// What the editor's boxes hold (Windows-1252).
struct RecordValues
{
    std::string title;                       // title box: RESERVE1, and TITRE of a new record
    std::optional<std::string> displayTitle; // a RESERVE1 other than the title box (command line)
    std::string real;
    std::string date;
    std::string origine;
    std::string genre;
    std::string hours;   // first duration box (one character)
    std::string minutes; // second duration box
    // The running time the two boxes were filled from, and whether the user typed in them since.
    std::string loadedDuration;
    bool durationEdited = false;
    std::vector<std::string> actors;
    std::string resume;
    std::string distrib;
    std::string support; // RESERVE0
    std::string number;  // RESERVE3
};

// Upper case as the title and distributor boxes type it: a-z and the Windows-1252 accented
// small letters that have a capital in the code page (é gives É, œ gives Œ, ÿ gives Ÿ).
std::string upperCp1252(std::string text);

// ACTEUR split at every ";" (an empty text gives no actor), and joined back: the catalogue's
// own list format.
inline std::vector<std::string> splitActors(const std::string& acteur)
{
    return catalogue::splitList(acteur);
}
inline std::string joinActors(const std::vector<std::string>& actors)
{
    return catalogue::joinList(actors);
}

// Fills the duration boxes from a DUREE: its first character, and the text from its third on.
void setDuration(RecordValues& values, const std::string& duree);
// Whether the two boxes show a running time that saving gives back as it was: empty, or a text
// whose second character is "H".
bool durationFitsBoxes(const std::string& duree);
// The DUREE to store: hours "H" minutes, an empty box first set to "0" or "00" (the boxes keep
// these values). A loaded running time the boxes cannot hold ("95 min") is given back unchanged
// as long as neither box was edited.
std::string durationToStore(RecordValues& values);

// The boxes as the editor fills them from row `row` (edit mode).
RecordValues loadRecord(const catalogue::CatalogueState& state, int row);
// Import of a film record file into the boxes: every box of the file is replaced, the actors are
// appended to those already listed; support and film number stay.
void applyFilmRecord(RecordValues& values, const FilmRecord& film);
// The film record file of what the boxes hold (export): title and distributor in upper case,
// the duration boxes normalised as a save does.
FilmRecord toFilmRecord(RecordValues& values);
// "Exporter .film .txt": the film record file of the boxes written under the name the chosen kind
// of file gives (filmFileNamesFor). The names written to; the companion picture, when named, is
// the caller's to write. The failure when the file could not be written.
catalogue::Result<FilmFileNames> exportFilmRecord(RecordValues& values, const std::string& chosen, FilmFileKind kind);

// Refuses a support name that is not in the catalogue's support list.
catalogue::Outcome checkSupport(const catalogue::CatalogueState& state, const std::string& support);
// Refuses a picture that cannot become a cover: unreadable or not a complete JPEG picture.
catalogue::Outcome checkCoverPicture(const std::string& path);

// "Ajouter Fiche": appends a row (carrying row 1's borrower and support lists), stores the values,
// saves and reads the catalogue back (sorted by TITRE), then copies `coverSource` (when not
// empty) to the new record's cover file. Nothing changes when the title is empty, the picture is
// unusable or the save fails (a Failure); the catalogue file then stays as it was. Once the record
// is in the file, a failed reopening or cover copy is a Warning that says so.
catalogue::Outcome addRecord(catalogue::CatalogueState& state, RecordValues& values, const std::string& coverSource);
// "Enregistrer Fiche": stores the values into row `row` (TITRE is never changed), saves, reads it
// back and copies the cover as above. CurrentRow designates the saved record afterwards.
catalogue::Outcome saveRecord(catalogue::CatalogueState& state, int row, RecordValues& values,
                              const std::string& coverSource);

} // namespace cinevaro::editing
