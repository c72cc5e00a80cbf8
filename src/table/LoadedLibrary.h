// Functions of a library opened with dlopen on first use (the media and zip libraries), so that
// the programs start without loading it and the libraries it depends on.
#pragma once

#include <dlfcn.h>

namespace cinevaro::table {

// `target` set to the library's function `name`; false when the library has none.
template <typename F> bool librarySymbol(void* handle, const char* name, F& target)
{
    target = reinterpret_cast<F>(dlsym(handle, name));
    return target != nullptr;
}

// Opens `file` and gives `fill` its handle: kept open for the life of the process when `fill`
// found every function, closed again otherwise. False when the file cannot be opened.
template <typename Fill> bool openLibrary(const char* file, Fill fill)
{
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    if (fill(handle))
        return true;
    dlclose(handle);
    return false;
}

} // namespace cinevaro::table
