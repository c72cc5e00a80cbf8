// Where a film's cover picture lives. Every read, write and deletion of a cover goes through
// coverPath, so a title can never name a file outside the collection folder.
#pragma once

#include <string>

namespace cinevaro::catalogue {

class CatalogueState;

// File name (without folder, with ".jpg") of the cover of a film whose TITRE is `titre`
// (Windows-1252). The name is the title in UTF-8, as the file system shows names; every "/" is
// written "%2F", so the name never holds a separator and ".." can never be a path component.
// Every other title keeps its name unchanged.
std::string coverFileName(const std::string& titre);

// True when `name` can only ever name a file directly inside a folder: not empty, not "." or "..",
// without "/" or a backslash and without control characters (bytes below 0x20, NUL included, or 0x7F).
// Every file name made from downloaded data is checked with it.
bool isSafeNameComponent(const std::string& name);

// CollectionFolder + coverFileName(titre): the native path of the cover picture.
std::string coverPath(const CatalogueState& state, const std::string& titre);

} // namespace cinevaro::catalogue
