#include "output/ZipLibrary.h"

#include <atomic>
#include <mutex>

#include "table/Cp1252.h"
#include "table/LoadedLibrary.h"

namespace cinevaro::output {

namespace {

std::mutex g_mutex;
std::string g_file = kZipLibraryFile;
bool g_tried = false;
std::atomic<bool> g_loaded = false;
ZipLibrary g_library{};

// Every function, or nothing.
bool load(const std::string& file, ZipLibrary& l)
{
    return table::openLibrary(file.c_str(), [&l](void* handle) {
        const auto symbol = [handle](const char* name, auto& target) {
            return table::librarySymbol(handle, name, target);
        };
        return symbol("zip_open", l.open) && symbol("zip_open_from_source", l.open_from_source) &&
               symbol("zip_close", l.close) && symbol("zip_discard", l.discard) &&
               symbol("zip_get_error", l.get_error) && symbol("zip_get_num_entries", l.get_num_entries) &&
               symbol("zip_name_locate", l.name_locate) && symbol("zip_stat_init", l.stat_init) &&
               symbol("zip_stat_index", l.stat_index) && symbol("zip_fopen_index", l.fopen_index) &&
               symbol("zip_fread", l.fread) && symbol("zip_fclose", l.fclose) && symbol("zip_file_add", l.file_add) &&
               symbol("zip_file_set_mtime", l.file_set_mtime) &&
               symbol("zip_file_get_external_attributes", l.file_get_external_attributes) &&
               symbol("zip_set_file_compression", l.set_file_compression) &&
               symbol("zip_source_function_create", l.source_function_create) &&
               symbol("zip_source_free", l.source_free) &&
               symbol("zip_source_seek_compute_offset", l.source_seek_compute_offset) &&
               symbol("zip_error_init", l.error_init) && symbol("zip_error_fini", l.error_fini) &&
               symbol("zip_error_set", l.error_set) && symbol("zip_error_code_zip", l.error_code_zip) &&
               symbol("zip_error_to_data", l.error_to_data);
    });
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

ZipLibrary& zipLibraryForTesting()
{
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
