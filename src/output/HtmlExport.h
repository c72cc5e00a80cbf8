// The HTML page of the catalogue: an index of links to the films, then one small table per film
// with the chosen columns. The page is written line by line, CR LF, in Windows-1252, with the
// field values as stored (no HTML escaping), into TempDir + "temp.htm"; saving copies that file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"
#include "table/TMlb2.h"

namespace cinevaro::output {

// One column of the export: the item shown in the column list, the field position it prints and
// the start of its line in the page (Windows-1252).
struct HtmlColumn
{
    std::string item;
    int field = 0;
    std::string prefix;
};

inline constexpr int kHtmlColumnCount = 10;

// The ten columns in list order; the first ("Titre") is the film's heading and is always printed.
const std::vector<HtmlColumn>& htmlColumns();

// The three justification items and their alignment value.
const std::vector<std::string>& justificationItems();
// "center", "right" or "left" for "Centre", "Droite", "Gauche"; empty for any other text.
std::string alignmentFor(const std::string& justificationItem);

struct HtmlOptions
{
    std::string width = "100";            // table width in percent, as typed
    std::string justification = "Centre"; // the selected justification item ("" when none)
    std::string border = "1";             // border of each film table, as typed
    bool lines = true;                    // separator line after each film
    std::array<bool, kHtmlColumnCount> columns{true, true, true, true, true, true, true, true, true, true};
};

// Rows listed for export: every row in table order except the header row (row 1 with an empty TITRE).
std::vector<int> exportRows(const table::TMlb2& table);

// The whole page for the given rows (1-based row numbers), as the bytes written to the file.
std::string buildHtmlPage(const table::TMlb2& table, const std::vector<int>& rows, const HtmlOptions& options);

// Path of the generated page inside the temporary folder.
std::string htmlTempPath(const std::string& tempDir);

// Writes page bytes to a file, replacing it only once the whole page is written; a failure names
// the file in French and leaves an earlier file as it was.
catalogue::Outcome writeHtmlFile(const std::string& path, const std::string& page);

// Creates the temporary folder when missing and writes the page into temp.htm. On failure the
// message is "Impossible de créer" + folder, or names the file that could not be written; the
// previous page is then left as it was.
catalogue::Outcome writeHtmlPage(const table::TMlb2& table, const std::vector<int>& rows, const HtmlOptions& options,
                                 const std::string& tempDir, std::string* pagePath = nullptr);

// The name a page is saved under: ".htm" is appended unless the extension is exactly ".htm".
std::string htmlSaveName(const std::string& chosen);

// Copies the last generated page to `target` (already completed by htmlSaveName), replacing an
// existing file. A missing page or a failed copy gives a French message.
catalogue::Outcome saveHtmlCopy(const std::string& pagePath, const std::string& target);

} // namespace cinevaro::output
