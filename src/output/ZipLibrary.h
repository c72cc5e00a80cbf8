// The zip library, loaded with dlopen at the first archive opened (internal to output): linking
// it would make every start of the programs load it and the compression and crypto libraries it
// depends on. Code past an archive's opening calls it through zl().
#pragma once

#include <zip.h>

#include <string>

namespace cinevaro::output {

struct ZipLibrary
{
    decltype(&::zip_open) open;
    decltype(&::zip_open_from_source) open_from_source;
    decltype(&::zip_close) close;
    decltype(&::zip_discard) discard;
    decltype(&::zip_get_error) get_error;
    decltype(&::zip_get_num_entries) get_num_entries;
    decltype(&::zip_name_locate) name_locate;
    decltype(&::zip_stat_init) stat_init;
    decltype(&::zip_stat_index) stat_index;
    decltype(&::zip_fopen_index) fopen_index;
    decltype(&::zip_fread) fread;
    decltype(&::zip_fclose) fclose;
    decltype(&::zip_file_add) file_add;
    decltype(&::zip_file_set_mtime) file_set_mtime;
    decltype(&::zip_file_get_external_attributes) file_get_external_attributes;
    decltype(&::zip_set_file_compression) set_file_compression;
    decltype(&::zip_source_function_create) source_function_create;
    decltype(&::zip_source_free) source_free;
    decltype(&::zip_source_seek_compute_offset) source_seek_compute_offset;
    decltype(&::zip_error_init) error_init;
    decltype(&::zip_error_fini) error_fini;
    decltype(&::zip_error_set) error_set;
    decltype(&::zip_error_code_zip) error_code_zip;
    decltype(&::zip_error_to_data) error_to_data;
};

// The library's file.
inline constexpr const char* kZipLibraryFile = "libzip.so.4";

// Loads the library at the first call (any thread); false when it cannot be loaded.
bool zipLibraryLoaded();
// The library, loaded if it was not yet: only where zipLibraryLoaded() said true or the archive
// is already open.
const ZipLibrary& zl();
// Another file for the library (tests, other installations), loaded at the next archive opened.
void useZipLibrary(const std::string& fileName);
// Test seam: the loaded library's functions, which a test may replace one at a time to make the
// library fail where it rarely does (it is loaded first if it was not yet).
ZipLibrary& zipLibraryForTesting();
// The French message (Windows-1252) for a library that could not be loaded.
std::string zipLibraryMissing();

// The argument block of a source command, or nullptr with `error` set when `len` is too short
// (the library's ZIP_SOURCE_GET_ARGS, through the loaded library).
template <typename T> T* sourceArgs(void* data, zip_uint64_t len, zip_error_t* error)
{
    if (len < sizeof(T)) {
        zl().error_set(error, ZIP_ER_INVAL, 0);
        return nullptr;
    }
    return static_cast<T*>(data);
}

} // namespace cinevaro::output
