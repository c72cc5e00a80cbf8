// Loading the media library on first use, and choosing another library file (tests, other
// installations).
#include "editing/MediaLibrary.h"

#include <dlfcn.h>

#include <mutex>

#include "editing/MediaInfo.h"

namespace cinevaro::editing {

namespace media {

namespace {

std::mutex g_libraryMutex;
std::string g_libraryFile = kMediaLibraryFile;
bool g_libraryTried = false;
std::optional<Library> g_library;

template <typename F> bool symbol(void* handle, const char* name, F& target)
{
    target = reinterpret_cast<F>(dlsym(handle, name));
    return target != nullptr;
}

std::optional<Library> loadLibrary(const std::string& file)
{
    // The handle stays open for the life of the process.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    Library l{};
    if (symbol(handle, "MediaInfo_New", l.create) && symbol(handle, "MediaInfo_Delete", l.destroy) &&
        symbol(handle, "MediaInfo_Open_Buffer_Init", l.init) &&
        symbol(handle, "MediaInfo_Open_Buffer_Continue", l.proceed) &&
        symbol(handle, "MediaInfo_Open_Buffer_Continue_GoTo_Get", l.jumpTarget) &&
        symbol(handle, "MediaInfo_Open_Buffer_Finalize", l.finish) && symbol(handle, "MediaInfo_Get", l.get) &&
        symbol(handle, "MediaInfo_Count_Get", l.count))
        return l;
    dlclose(handle);
    return std::nullopt;
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
