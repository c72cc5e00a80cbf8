#include "catalogue/Settings.h"

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "table/MappedFile.h"
#include "table/SafeFile.h"
#include "table/Text.h"

namespace cinevaro::catalogue {

namespace fs = std::filesystem;

namespace {

std::string trim(const std::string& s)
{
    return table::trim(s, " \t\r");
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    const auto bytes = table::readWholeFile(path);
    if (!bytes)
        return lines;
    std::string_view rest(*bytes);
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

// "[name]" -> name; nothing for other lines.
bool sectionName(const std::string& line, std::string& name)
{
    auto t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    name = trim(t.substr(1, t.size() - 2));
    return true;
}

bool keyValue(const std::string& line, std::string& key, std::string& value)
{
    auto t = trim(line);
    if (t.empty() || t[0] == ';')
        return false;
    auto eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return true;
}

std::optional<std::string> lookup(const std::string& path, const std::string& section, const std::string& key)
{
    bool inSection = false;
    for (const auto& line : readLines(path)) {
        std::string name, k, v;
        if (sectionName(line, name)) {
            inSection = sameName(name, section);
        } else if (inSection && keyValue(line, k, v) && sameName(k, key)) {
            return v;
        }
    }
    return std::nullopt;
}

std::optional<long> parseInteger(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size() || text.size() > 11)
        return std::nullopt;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return std::nullopt;
    long v = std::strtol(text.c_str(), nullptr, 10);
    if (v > 2147483647L || v < -2147483648L)
        return std::nullopt;
    return v;
}

} // namespace

Settings::Settings(std::string path) : m_path(std::move(path))
{
}

std::string Settings::folder() const
{
    auto parent = fs::path(m_path).parent_path().string();
    if (parent.empty())
        return "./";
    if (parent.back() != '/')
        parent += '/';
    return parent;
}

std::string Settings::readString(const std::string& section, const std::string& key, const std::string& def) const
{
    auto v = lookup(m_path, section, key);
    return v ? *v : def;
}

int Settings::readInteger(const std::string& section, const std::string& key, int def) const
{
    auto v = lookup(m_path, section, key);
    if (!v)
        return def;
    auto n = parseInteger(*v);
    return n ? static_cast<int>(*n) : def;
}

bool Settings::readBool(const std::string& section, const std::string& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

bool Settings::hasKey(const std::string& section, const std::string& key) const
{
    return lookup(m_path, section, key).has_value();
}

namespace {

// Sets the key's line in the section to `value` and removes any later line of the same key (left
// by an older build, it would never be read). False when the section holds no such key; then
// `sectionEnd` is the index after the section's last non-blank line (-1 without the section).
bool replaceInSection(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                      const std::string& value, std::ptrdiff_t& sectionEnd)
{
    bool inSection = false;
    bool done = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break;
            inSection = sameName(name, section);
            if (inSection)
                sectionEnd = static_cast<std::ptrdiff_t>(i + 1);
            continue;
        }
        if (!inSection)
            continue;
        const bool isKey = keyValue(lines[i], k, v) && sameName(k, key);
        if (isKey && done) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        } else if (isKey) {
            lines[i] = k + "=" + value;
            done = true;
        } else if (!trim(lines[i]).empty()) {
            sectionEnd = static_cast<std::ptrdiff_t>(i + 1);
        }
    }
    return done;
}

// A new key line at the end of its section, or in a new section at the end of the file.
void addKey(std::vector<std::string>& lines, const std::string& section, const std::string& key,
            const std::string& value, std::ptrdiff_t sectionEnd)
{
    if (sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, key + "=" + value);
        return;
    }
    if (!lines.empty() && !trim(lines.back()).empty())
        lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(key + "=" + value);
}

} // namespace

bool Settings::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    // A line break in the value would start a line of its own, read as another key.
    if (!holdsKey(key) || value.find_first_of("\r\n") != std::string::npos)
        return false;
    auto lines = readLines(m_path);
    std::ptrdiff_t sectionEnd = -1;
    if (!replaceInSection(lines, section, key, value, sectionEnd))
        addKey(lines, section, key, value, sectionEnd);
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";

    std::error_code ec;
    auto parent = fs::path(m_path).parent_path();
    if (!parent.empty())
        fs::create_directories(parent, ec);
    // Written beside the file and renamed over it, then the folder synced (safe-file helper).
    return static_cast<bool>(table::writeFileAtomically(m_path, text));
}

bool Settings::writeInteger(const std::string& section, const std::string& key, int value)
{
    return writeString(section, key, std::to_string(value));
}

bool Settings::writeBool(const std::string& section, const std::string& key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

bool Settings::isInstalledLayout(const std::string& exeDir)
{
    // An installed copy sits in <prefix>/bin with its menu entry in <prefix>/share/applications;
    // it never writes beside the executable, even where that folder is writable (as root).
    std::error_code ec;
    return fs::exists(fs::path(exeDir) / ".." / "share" / "applications" / "org.cinevaro.Cinevaro.desktop", ec);
}

std::string Settings::defaultPath(const std::string& exeDir)
{
    if (const char* env = std::getenv("CINEVARO_INI"); env && *env)
        return env;
    if (!exeDir.empty() && !isInstalledLayout(exeDir) && ::access(exeDir.c_str(), W_OK) == 0)
        return (fs::path(exeDir) / "Cinevaro.ini").string();
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
    else
        config = fs::temp_directory_path();
    return (config / "cinevaro" / "Cinevaro.ini").string();
}

std::string Settings::tempDir() const
{
    return readString("GENERAL", "REPERTOIRETEMP", folder() + "temp/");
}

bool Settings::holdsKey(const std::string& key)
{
    if (key.empty() || key.front() == ' ' || key.back() == ' ' || key.front() == ';' || key.front() == '[')
        return false;
    for (char c : key) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '=')
            return false;
    }
    return true;
}

const std::vector<std::string>& fixedSettingKeys()
{
    // GENERAL, CONNEXION, INTERFACE, COULEUR and HTML, in that order.
    static const std::vector<std::string> keys = {
        "FICHIERBASE",       "REPERTOIRETEMP", "NOMBASE",   "CLOSEFIND",     "SPLIT",       "POSITIONW",
        "POSITIONH",         "POSITIONT",      "POSITIONL", "PANELPRET",     "PANELSUPP",   "PANELPCO",
        "PANELSCO",          "HPANEL",         "MINMAX",    "PROXY",         "PROXYPORT",   "PROXYADRESSE",
        "SITEWEB",           "XPMENU",         "XPDEG",     "HOTTRACK",      "COULEURTREE", "COULEURTITRE",
        "COULEURTEXTETITRE", "COULEURZONE",    "LARGEURT",  "JUSTIFICATION", "BORDURE",     "LIGNE"};
    return keys;
}

bool isFixedSettingKey(const std::string& key)
{
    for (const auto& fixed : fixedSettingKeys())
        if (sameName(fixed, key))
            return true;
    return false;
}

std::string supportStateKey(const std::string& supportName)
{
    static const std::string prefix = "SUPPORT:";
    const bool prefixed = supportName.size() >= prefix.size() && sameName(supportName.substr(0, prefix.size()), prefix);
    if (Settings::holdsKey(supportName) && !isFixedSettingKey(supportName) && !prefixed)
        return supportName;
    // '%' is escaped too, so that two names never share a key.
    static const char hex[] = "0123456789ABCDEF";
    std::string key = prefix;
    for (char c : supportName) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || c == '=' || c == '%' || c == ';' || c == '[' || c == ']') {
            key += '%';
            key += hex[b >> 4];
            key += hex[b & 0x0F];
        } else {
            key += c;
        }
    }
    return key;
}

} // namespace cinevaro::catalogue
