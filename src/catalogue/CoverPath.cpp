#include "catalogue/CoverPath.h"

#include "catalogue/CatalogueState.h"
#include "table/Cp1252.h"

namespace cinevaro::catalogue {

std::string coverFileName(const std::string& titre)
{
    std::string name;
    name.reserve(titre.size() + 4);
    for (char c : table::cp1252ToUtf8(titre)) {
        if (c == '/')
            name += "%2F";
        else if (c != '\0')
            name += c;
    }
    return name + ".jpg";
}

bool isSafeNameComponent(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || b < 0x20 || b == 0x7F)
            return false;
    }
    return true;
}

std::string coverPath(const CatalogueState& state, const std::string& titre)
{
    std::string folder = state.CollectionFolder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + coverFileName(titre);
}

} // namespace cinevaro::catalogue
