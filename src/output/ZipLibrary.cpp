#include "output/ZipLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

#include "table/Cp1252.h"

namespace cinevaro::output {

namespace {

template <typename F> bool symbol(void* handle, const char* name, F& target)
{
    target = reinterpret_cast<F>(dlsym(handle, name));
    return target != nullptr;
}

std::mutex g_mutex;
std::string g_file = kZipLibraryFile;
bool g_tried = false;
std::atomic<bool> g_loaded = false;
ZipLibrary g_library{};

// Every function, or nothing. The handle stays open for the life of the process.
bool load(const std::string& file, ZipLibrary& l)
{
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return false;
    const bool all =
        symbol(handle, "zip_open", l.open) && symbol(handle, "zip_open_from_source", l.open_from_source) &&
        symbol(handle, "zip_close", l.close) && symbol(handle, "zip_discard", l.discard) &&
        symbol(handle, "zip_get_error", l.get_error) && symbol(handle, "zip_get_num_entries", l.get_num_entries) &&
        symbol(handle, "zip_name_locate", l.name_locate) && symbol(handle, "zip_stat_init", l.stat_init) &&
        symbol(handle, "zip_stat_index", l.stat_index) && symbol(handle, "zip_fopen_index", l.fopen_index) &&
        symbol(handle, "zip_fread", l.fread) && symbol(handle, "zip_fclose", l.fclose) &&
        symbol(handle, "zip_file_add", l.file_add) && symbol(handle, "zip_file_set_mtime", l.file_set_mtime) &&
        symbol(handle, "zip_file_get_external_attributes", l.file_get_external_attributes) &&
        symbol(handle, "zip_set_file_compression", l.set_file_compression) &&
        symbol(handle, "zip_source_function_create", l.source_function_create) &&
        symbol(handle, "zip_source_free", l.source_free) &&
        symbol(handle, "zip_source_seek_compute_offset", l.source_seek_compute_offset) &&
        symbol(handle, "zip_error_init", l.error_init) && symbol(handle, "zip_error_fini", l.error_fini) &&
        symbol(handle, "zip_error_set", l.error_set) && symbol(handle, "zip_error_code_zip", l.error_code_zip) &&
        symbol(handle, "zip_error_to_data", l.error_to_data);
    if (!all)
        dlclose(handle);
    return all;
}

} // namespace

bool zipLibraryLoaded()
{
    const std::lock_guard lock(g_mutex);
    if (!g_tried) {
        g_tried = true;
        ZipLibrary l{};
        if (load(g_file, l)) {
            g_library = l;
            g_loaded = true;
        }
    }
    return g_loaded;
}

const ZipLibrary& zl()
{
    if (!g_loaded)
        zipLibraryLoaded();
    return g_library;
}

void useZipLibrary(const std::string& fileName)
{
    const std::lock_guard lock(g_mutex);
    g_file = fileName;
    g_tried = false;
    g_loaded = false;
}

std::string zipLibraryMissing()
{
    const std::lock_guard lock(g_mutex);
    return table::cp("La bibliothèque des archives zip (") + g_file +
           table::cp(") n'a pas pu être chargée : installez le paquet libzip4");
}

} // namespace cinevaro::output
