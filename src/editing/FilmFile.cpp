#include "editing/FilmFile.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "table/Cp1252.h"
#include "table/SafeFile.h"
#include "table/Text.h"

namespace cinevaro::editing {

FilmRecord parseFilmText(const std::string& bytes)
{
    std::array<std::string, 9> lines;
    std::size_t line = 0;
    for (char c : bytes) {
        if (line >= lines.size())
            break;
        if (c == '\n')
            ++line;
        else if (c != '\r')
            lines[line] += c;
    }
    return {lines[0], lines[1], lines[2], lines[3], lines[4], lines[5], lines[6], lines[7], lines[8]};
}

std::string formatFilmText(const FilmRecord& r)
{
    std::string out;
    for (const std::string* value :
         {&r.titre, &r.real, &r.date, &r.origine, &r.genre, &r.duree, &r.acteur, &r.resume, &r.distrib}) {
        out += *value;
        out += "\r\n";
    }
    return out;
}

catalogue::Result<FilmRecord> readFilmFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return catalogue::Outcome::failure(table::cp("Fichier introuvable : ") + path);
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    if (in)
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
        return catalogue::Outcome::failure(table::cp("Impossible de lire le fichier ") + path);
    return parseFilmText(bytes);
}

catalogue::Outcome writeFilmFile(const std::string& path, const FilmRecord& record)
{
    // A new file beside the target renamed over it: a failed write leaves an older file
    // untouched, and a link planted in the folder is never followed.
    if (!table::writeFileAtomically(path, formatFilmText(record)))
        return catalogue::Outcome::failure(table::cp("Impossible de créer le fichier ") + path, "Erreur");
    return catalogue::Outcome::success();
}

FilmFileNames filmFileNamesFor(const std::string& chosen, FilmFileKind kind)
{
    if (kind == FilmFileKind::Any)
        return {chosen, {}};
    const std::string ext = kind == FilmFileKind::Film ? ".film" : ".txt";
    if (!chosen.ends_with(ext))
        return {chosen + ext, chosen + ".jpg"};
    return {chosen, chosen.substr(0, chosen.size() - ext.size()) + ".jpg"};
}

FilmFileKind filmFileKindOf(const std::string& chosen)
{
    return chosen.ends_with(".txt") ? FilmFileKind::Txt : FilmFileKind::Film;
}

std::string companionPicture(const std::string& filmPath)
{
    for (const char* ext : {".film", ".txt"}) {
        std::string e(ext);
        if (table::endsWithNoCase(filmPath, e) && filmPath.size() > e.size())
            return filmPath.substr(0, filmPath.size() - e.size()) + ".jpg";
    }
    return {};
}

std::string existingCompanionPicture(const std::string& filmPath)
{
    std::string picture = companionPicture(filmPath);
    std::error_code ec;
    if (picture.empty() || !std::filesystem::is_regular_file(picture, ec))
        return {};
    return picture;
}

} // namespace cinevaro::editing
