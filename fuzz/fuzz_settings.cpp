// Feeds arbitrary bytes to the settings reader as the content of the settings file: reading
// never fails, and a value written is read back as written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "catalogue/Settings.h"

namespace {

std::string settingsPath()
{
    // Memory-backed when the system has it: every read goes back to the file.
    static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
    static const std::string path = folder + "cinevaro-fuzz-settings-" + std::to_string(::getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using cinevaro::catalogue::Settings;
    const std::string path = settingsPath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Settings settings(path);
    for (const char* section : {"CONNEXION", "general", "["}) {
        for (const char* key : {"SITEWEB", "DELAI", "", "="}) {
            (void)settings.readString(section, key, "defaut");
            (void)settings.readInteger(section, key, 7);
        }
    }
    (void)settings.hasKey("GENERAL", "CLOSEFIND");
    (void)settings.tempDir();
    // A plain value written to a plain key reads back as written, whatever the file held.
    if (settings.writeString("FUZZ", "CLE", "valeur 1") && settings.readString("fuzz", "cle", "") != "valeur 1")
        std::abort();
    if (settings.writeInteger("FUZZ", "NOMBRE", -42) && settings.readInteger("FUZZ", "NOMBRE", 0) != -42)
        std::abort();
    ::unlink(path.c_str());
    return 0;
}
