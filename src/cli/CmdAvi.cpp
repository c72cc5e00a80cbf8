// avi-info: the four technical values "Extraire du fichier" fills from an AVI header.
// media-info: the values it fills from any video file (AVI files: as avi-info).
#include <ostream>

#include "cli/Commands.h"
#include "editing/AviInfo.h"
#include "editing/MediaInfo.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

int cmdAviInfo(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || isOption(args[0]))
        return usageOf("avi-info", err);
    const editing::AviInfo info = editing::readAviFile(args[0]);
    auto line = [&out](const char* key, const std::optional<std::string>& value) {
        if (value)
            out << key << "=" << table::cp1252ToUtf8(*value) << "\n";
    };
    line("SIZE", info.size);
    line("FREQUENCE", info.frequence);
    line("RESOLUTION", info.resolution);
    if (!info.ok)
        return fail(catalogue::Outcome::failure(info.error), err);
    out << "FORMATVIDEO=" << table::cp1252ToUtf8(info.formatVideo.value_or("")) << "\n";
    return 0;
}

int cmdMediaInfo(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || isOption(args[0]))
        return usageOf("media-info", err);
    if (editing::isAviFileName(args[0]))
        return cmdAviInfo(args, out, err);
    const editing::MediaInfo info = editing::readMediaFile(args[0]);
    if (!info.ok)
        return fail(catalogue::Outcome::failure(info.error), err);
    auto line = [&out](const char* key, const std::optional<std::string>& value) {
        if (value)
            out << key << "=" << table::cp1252ToUtf8(*value) << "\n";
    };
    line("FORMATVIDEO", info.formatVideo);
    line("FORMATAUDIO", info.formatAudio);
    line("RESOLUTION", info.resolution);
    line("BITVIDEO", info.bitVideo);
    line("BITAUDIO", info.bitAudio);
    line("SIZE", info.size);
    line("FREQUENCE", info.frequence);
    line("LANGUEP", info.langueP);
    line("LANGUES", info.langueS);
    line("SOUSTITRE", info.sousTitre);
    return 0;
}

} // namespace cinevaro::cli
