// Film record files (.film, .txt): one film described by nine lines of Windows-1252 text, with a
// companion JPEG picture of the same name. Used by the record editor and by the web import.
//
// Line order: title, director(s), year, origin, genre, running time, actors (joined by ";"),
// synopsis, distributor. Lines are written with CR LF; on reading a line ends at LF, CR bytes are
// never part of a value, a missing line reads as empty and lines after the ninth are ignored.
#pragma once

#include <optional>
#include <string>

#include "catalogue/Outcome.h"

namespace cinevaro::editing {

// The nine lines of a film record file, in file order (Windows-1252 bytes).
struct FilmRecord
{
    std::string titre;   // line 1: title (title box; TITRE and RESERVE1 of a new record)
    std::string real;    // line 2: director(s)
    std::string date;    // line 3: year
    std::string origine; // line 4: origin
    std::string genre;   // line 5: genre
    std::string duree;   // line 6: running time, normally hours "H" minutes (1H45)
    std::string acteur;  // line 7: actors joined by ";"
    std::string resume;  // line 8: synopsis
    std::string distrib; // line 9: distributor

    bool operator==(const FilmRecord&) const = default;
};

// Parses the bytes of a film record file.
FilmRecord parseFilmText(const std::string& bytes);
// The bytes of a film record file: the nine values, each followed by CR LF. A value holding line
// breaks of its own (a synopsis of two lines) is written as it is and so adds lines.
std::string formatFilmText(const FilmRecord& record);

// Reads a film record file; when it cannot be read, the French message (Windows-1252), such as
// "Fichier introuvable : " + path.
catalogue::Result<FilmRecord> readFilmFile(const std::string& path);
// Creates or replaces the film record file. The old file stays intact when writing fails.
catalogue::Outcome writeFilmFile(const std::string& path, const FilmRecord& record);

// The filter chosen in the save dialog of the export.
enum class FilmFileKind {
    Film, // "Fichier Moviecovers (*.film)"
    Txt,  // "Fichier TXT (*.txt)"
    Any,  // "Tous les fichiers (*.*)"
};

// Names the export writes for a chosen name and filter.
struct FilmFileNames
{
    std::string film;    // the film record file
    std::string picture; // the companion picture; empty when none is formed (filter Any)
};

// Film and Txt: a name that does not end with exactly ".film" (".txt"), case-sensitive, gets the
// extension appended ("alien.FILM" gives "alien.FILM.film"); the picture is the film file with
// that extension replaced by ".jpg". Any: the name as chosen and no picture.
FilmFileNames filmFileNamesFor(const std::string& chosen, FilmFileKind kind);

// The filter a typed name points to when the dialog does not tell: ".txt" gives Txt, anything
// else Film (the dialog's first filter).
FilmFileKind filmFileKindOf(const std::string& chosen);

// The companion picture of a film record file to import: the path with its ".film" or ".txt"
// extension (any letter case) replaced by ".jpg"; empty for any other name.
std::string companionPicture(const std::string& filmPath);
// The companion picture when it exists beside the film record file as a regular file (a folder
// or a dangling link of that name is no picture); empty otherwise.
std::string existingCompanionPicture(const std::string& filmPath);

} // namespace cinevaro::editing
