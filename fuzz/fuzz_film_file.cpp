// Feeds arbitrary bytes to the film record file reader: nine values without line breaks, and
// what is written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editing/FilmFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace cinevaro::editing;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const FilmRecord record = parseFilmText(bytes);
    for (const std::string* value : {&record.titre, &record.real, &record.date, &record.origine, &record.genre,
                                     &record.duree, &record.acteur, &record.resume, &record.distrib})
        if (value->find('\n') != std::string::npos || value->find('\r') != std::string::npos)
            std::abort();
    if (parseFilmText(formatFilmText(record)) != record)
        std::abort();
    (void)companionPicture(bytes.substr(0, 256));
    (void)filmFileNamesFor(bytes.substr(0, 256), FilmFileKind::Film);
    (void)filmFileKindOf(bytes.substr(0, 256));
    return 0;
}
