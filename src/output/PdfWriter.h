// The printed pages as a PDF file, written without a drawing library: texts in the standard
// Times faces with the WinAnsi encoding (the catalogue's Windows-1252 bytes go in as they are),
// covers embedded as the JPEG files they are (no decoding, no re-encoding), lines and frames as
// paths. Pages are written one at a time, so memory does not grow with the catalogue.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalogue/Outcome.h"
#include "output/PrintLayout.h"
#include "table/SafeFile.h"

namespace cinevaro::output {

class PdfWriter
{
public:
    // Writes into `file` (opened by the caller); `format` gives the title and the page size,
    // `measurer` the widths texts are wrapped with.
    PdfWriter(table::SafeFileWriter& file, const PrintDocument& format, const TextMeasurer& measurer);

    // Appends one page. A cover that cannot be read stops with its French message.
    catalogue::Outcome addPage(const PrintPage& page);
    // Writes the page tree, the cross-reference table and the trailer (at least one page).
    void finish();

private:
    int newObject(); // starts object n (its offset recorded) and returns n
    void endObject();
    void write(const std::string& bytes);
    int reserveObject();

    void text(std::string& content, const DrawOp& op);
    void textBox(std::string& content, const DrawOp& op);
    catalogue::Outcome picture(std::string& content, std::string& resources, const DrawOp& op);
    void showLine(std::string& content, const std::string& line, const FontSpec& font, double xMm, double baselineMm);
    // Width in millimetres of `bytes` with `font`, from per-character widths measured once.
    double width(const std::string& bytes, const FontSpec& font);
    std::vector<std::string> wrap(const std::string& text, const FontSpec& font, double widthMm);
    // Appends the lines of one paragraph (no line break in it) to `lines`.
    void wrapParagraph(const std::string& paragraph, const FontSpec& font, double widthMm,
                       std::vector<std::string>& lines);
    // A word wider than the box is cut where it reaches the edge: the full pieces go to `lines`,
    // the rest (which fits) is returned.
    std::string cutLongWord(std::string word, const FontSpec& font, double widthMm, std::vector<std::string>& lines);
    // How many leading characters of `word` fit in `widthMm` (one at least).
    std::size_t fittingPrefix(const std::string& word, const FontSpec& font, double widthMm);

    table::SafeFileWriter& m_file;
    const PrintDocument& m_format;
    const TextMeasurer& m_measurer;
    std::vector<std::uint64_t> m_offsets; // by object number; 0 = not written yet
    std::vector<int> m_pages;
    int m_pagesObject = 0;
    int m_regularFont = 0;
    int m_boldFont = 0;
    int m_images = 0;
    std::map<std::pair<bool, int>, std::array<double, 256>> m_widths;
};

} // namespace cinevaro::output
