// The settings file: an INI file of sections and keys, read on every access and written at
// once; section and key names match without regard to case; values are Windows-1252 bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cinevaro::catalogue {

class Settings
{
public:
    explicit Settings(std::string path);

    const std::string& path() const { return m_path; }
    // Folder of the settings file, with a trailing separator.
    std::string folder() const;

    std::string readString(const std::string& section, const std::string& key, const std::string& def) const;
    // An absent key or a value that is not a whole decimal number reads as the default.
    int readInteger(const std::string& section, const std::string& key, int def) const;
    // True when the value is an integer other than 0.
    bool readBool(const std::string& section, const std::string& key, bool def) const;
    bool hasKey(const std::string& section, const std::string& key) const;

    // Each write rewrites the file at once (created by the first write); false when it cannot.
    // The key's line is replaced (a later line of the same key in that section is dropped). A key
    // the file cannot hold (see holdsKey) or a value holding a line break is refused: false, the
    // file unchanged.
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    bool writeInteger(const std::string& section, const std::string& key, int value);
    bool writeBool(const std::string& section, const std::string& key, bool value);

    // Where the settings file lives: $CINEVARO_INI when set; otherwise Cinevaro.ini beside the
    // executable when that folder is writable and not an installed copy's; otherwise
    // $XDG_CONFIG_HOME/cinevaro/Cinevaro.ini (default ~/.config/cinevaro/).
    static std::string defaultPath(const std::string& exeDir);
    // True when exeDir is the bin folder of an installed copy (cmake --install or the package).
    static bool isInstalledLayout(const std::string& exeDir);

    // TempDir: GENERAL/REPERTOIRETEMP, default the settings file's folder + "temp/".
    std::string tempDir() const;

    // Whether a key written as "key=value" reads back as the same key: not empty, no line break
    // or other control character, no '=', no space at either end, not starting with ';' (a
    // comment) or '[' (a section).
    static bool holdsKey(const std::string& key);

private:
    std::string m_path;
};

// Every key the program itself reads or writes, in any section (upper case).
const std::vector<std::string>& fixedSettingKeys();
// True when `key` names one of fixedSettingKeys, whatever its case.
bool isFixedSettingKey(const std::string& key);

// Key of GENERAL holding whether a support's branch is expanded. It is the support's name when
// that is a key the file can hold and no fixed key; otherwise "SUPPORT:" followed by the name
// with the bytes the file cannot hold written as %XX, so that no support name can replace a
// setting or break the file, and every name reads back.
std::string supportStateKey(const std::string& supportName);

} // namespace cinevaro::catalogue
