// Loading the media library on first use, and choosing another library file (tests, other
// installations).
#include "editing/MediaLibrary.h"

#include <mutex>

#include "editing/MediaInfo.h"
#include "table/LoadedLibrary.h"

namespace cinevaro::editing {

namespace media {

namespace {

std::mutex g_libraryMutex;
std::string g_libraryFile = kMediaLibraryFile;
bool g_libraryTried = false;
std::optional<Library> g_library;

std::optional<Library> loadLibrary(const std::string& file)
{
    Library l{};
    const auto fill = [&l](void* handle) {
        const auto symbol = [handle](const char* name, auto& target) {
            return table::librarySymbol(handle, name, target);
        };
        return symbol("MediaInfo_New", l.create) && symbol("MediaInfo_Delete", l.destroy) &&
               symbol("MediaInfo_Open_Buffer_Init", l.init) && symbol("MediaInfo_Open_Buffer_Continue", l.proceed) &&
               symbol("MediaInfo_Open_Buffer_Continue_GoTo_Get", l.jumpTarget) &&
               symbol("MediaInfo_Open_Buffer_Finalize", l.finish) && symbol("MediaInfo_Get", l.get) &&
               symbol("MediaInfo_Count_Get", l.count);
    };
    if (!table::openLibrary(file.c_str(), fill))
        return std::nullopt;
    return l;
}

} // namespace

std::optional<Library> library()
{
    const std::lock_guard lock(g_libraryMutex);
    if (!g_libraryTried) {
        g_libraryTried = true;
        g_library = loadLibrary(g_libraryFile);
    }
    return g_library;
}

std::string libraryMissing()
{
    const std::lock_guard lock(g_libraryMutex);
    return "La bibliothèque MediaInfo (" + g_libraryFile +
           ") n'a pas pu être chargée : seuls les fichiers AVI peuvent être lus ; installez le paquet "
           "libmediainfo0v5";
}

} // namespace media

using namespace media;

void useMediaLibrary(const std::string& fileName)
{
    // The previous library stays loaded (its handle is never closed); only the next reading uses
    // the new one.
    const std::lock_guard lock(g_libraryMutex);
    g_libraryFile = fileName;
    g_libraryTried = false;
    g_library.reset();
}

} // namespace cinevaro::editing
