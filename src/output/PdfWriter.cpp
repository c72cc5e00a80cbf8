#include "output/PdfWriter.h"

#include <charconv>
#include <zlib.h>

#include "catalogue/Jpeg.h"

namespace cinevaro::output {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
// Proportions of the Times faces (of an em): ascent, line spacing, underline position and
// thickness, as the windows' fonts draw them.
constexpr double kAscent = 0.891;
constexpr double kLineSpacing = 1.149;
constexpr double kUnderlineDepth = 0.1;
constexpr double kUnderlineThickness = 0.05;

// Locale-independent: a decimal comma would break the file.
std::string num(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2).ptr;
    std::string out(buffer, end);
    if (out.find('.') != std::string::npos) {
        while (out.back() == '0')
            out.pop_back();
        if (out.back() == '.')
            out.pop_back();
    }
    return out == "-0" ? "0" : out;
}

std::string literal(const std::string& bytes)
{
    std::string out = "(";
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\')
            out += '\\';
        out += u < 0x20 ? ' ' : c;
    }
    return out + ")";
}

std::string colour(std::uint32_t windowsColour, const char* op)
{
    return num((windowsColour & 0xFF) / 255.0) + " " + num(((windowsColour >> 8) & 0xFF) / 255.0) + " " +
           num(((windowsColour >> 16) & 0xFF) / 255.0) + " " + op + "\n";
}

} // namespace

PdfWriter::PdfWriter(table::SafeFileWriter& file, const PrintDocument& format, const TextMeasurer& measurer)
    : m_file(file), m_format(format), m_measurer(measurer)
{
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    m_pagesObject = reserveObject();
    m_regularFont = newObject();
    write("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>\n");
    endObject();
    m_boldFont = newObject();
    write("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Bold /Encoding /WinAnsiEncoding >>\n");
    endObject();
}

int PdfWriter::reserveObject()
{
    m_offsets.push_back(0);
    return static_cast<int>(m_offsets.size());
}

int PdfWriter::newObject()
{
    const int number = reserveObject();
    m_offsets[number - 1] = m_file.tell();
    write(std::to_string(number) + " 0 obj\n");
    return number;
}

void PdfWriter::endObject()
{
    write("endobj\n");
}

void PdfWriter::write(const std::string& bytes)
{
    m_file.write(bytes);
}

double PdfWriter::width(const std::string& bytes, const FontSpec& font)
{
    auto [at, added] = m_widths.try_emplace({font.bold, font.size});
    auto& widths = at->second;
    if (added) {
        FontSpec plain = font;
        plain.underline = false;
        for (int c = 0; c < 256; ++c)
            widths[c] = c < 0x20 ? 0 : m_measurer.textWidth(std::string(1, static_cast<char>(c)), plain);
    }
    double total = 0;
    for (const char c : bytes)
        total += widths[static_cast<unsigned char>(c)];
    return total;
}

void PdfWriter::showLine(std::string& content, const std::string& line, const FontSpec& font, double xMm,
                         double baselineMm)
{
    const double x = xMm * kPointsPerMm;
    const double y = (m_format.pageHeight - baselineMm) * kPointsPerMm;
    content += "BT /F" + std::string(font.bold ? "2 " : "1 ") + std::to_string(font.size) + " Tf " + num(x) + " " +
               num(y) + " Td " + literal(line) + " Tj ET\n";
    if (font.underline)
        content += num(x) + " " + num(y - kUnderlineDepth * font.size) + " " + num(width(line, font) * kPointsPerMm) +
                   " " + num(kUnderlineThickness * font.size) + " re f\n";
}

void PdfWriter::text(std::string& content, const DrawOp& op)
{
    showLine(content, op.text, op.font, op.x1, op.y1 + kAscent * op.font.size / kPointsPerMm);
}

// Lines of at most `widthMm`, broken between words and at line breaks.
std::vector<std::string> PdfWriter::wrap(const std::string& text, const FontSpec& font, double widthMm)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
            paragraph.pop_back();
        wrapParagraph(paragraph, font, widthMm, lines);
        start = end + 1;
    }
    return lines;
}

void PdfWriter::wrapParagraph(const std::string& paragraph, const FontSpec& font, double widthMm,
                              std::vector<std::string>& lines)
{
    std::string line;
    std::size_t at = 0;
    while (at < paragraph.size()) {
        std::size_t next = paragraph.find(' ', at);
        if (next == std::string::npos)
            next = paragraph.size();
        std::string word = paragraph.substr(at, next - at);
        const std::string candidate = line.empty() ? word : line + " " + word;
        if (width(candidate, font) <= widthMm) {
            line = candidate;
        } else {
            if (!line.empty())
                lines.push_back(line);
            line = cutLongWord(word, font, widthMm, lines);
        }
        at = next + 1;
    }
    lines.push_back(line);
}

std::string PdfWriter::cutLongWord(std::string word, const FontSpec& font, double widthMm,
                                   std::vector<std::string>& lines)
{
    while (word.size() > 1 && width(word, font) > widthMm) {
        const std::size_t fits = fittingPrefix(word, font, widthMm);
        lines.push_back(word.substr(0, fits));
        word.erase(0, fits);
    }
    return word;
}

std::size_t PdfWriter::fittingPrefix(const std::string& word, const FontSpec& font, double widthMm)
{
    std::size_t fits = 0;
    for (double used = 0; fits < word.size(); ++fits) {
        const double w = width(word.substr(fits, 1), font);
        if (fits > 0 && used + w > widthMm)
            break;
        used += w;
    }
    return fits;
}

void PdfWriter::textBox(std::string& content, const DrawOp& op)
{
    const double k = kPointsPerMm;
    content += colour(op.pen, "RG") + num(0.25 * k) + " w " + num(op.x1 * k) + " " +
               num((m_format.pageHeight - op.y2) * k) + " " + num((op.x2 - op.x1) * k) + " " +
               num((op.y2 - op.y1) * k) + " re S\n0 g\n";
    const double lineMm = kLineSpacing * op.font.size / k;
    double baseline = op.y1 + kAscent * op.font.size / k;
    // Lines that would leave the frame are not drawn: the text stays inside its block.
    const double descentMm = (kLineSpacing - kAscent) * op.font.size / k;
    for (const auto& line : wrap(op.text, op.font, op.x2 - op.x1)) {
        if (baseline + descentMm > op.y2 + 0.01)
            break;
        if (!line.empty())
            showLine(content, line, op.font, op.x1, baseline);
        baseline += lineMm;
    }
}

catalogue::Outcome PdfWriter::picture(std::string& content, std::string& resources, const DrawOp& op)
{
    std::vector<unsigned char> bytes;
    catalogue::JpegFacts facts;
    if (auto read = readJpegCover(op.source, bytes, facts); !read)
        return catalogue::Outcome::failure(read.message, "Cinevaro");
    std::string dictionary;
    std::string stream;
    if (facts.plainEightBit) {
        static const char* const spaces[] = {"", "/DeviceGray", "", "/DeviceRGB", "/DeviceCMYK"};
        dictionary = "/Width " + std::to_string(facts.width) + " /Height " + std::to_string(facts.height) +
                     " /ColorSpace " + spaces[facts.components] + " /BitsPerComponent 8 /Filter /DCTDecode";
        if (facts.adobeInverted)
            dictionary += " /Decode [1 0 1 0 1 0 1 0]";
        stream.assign(bytes.begin(), bytes.end());
    } else {
        // Coded in a way some readers cannot show (arithmetic, 12-bit): the decoded pixels.
        auto decoded = loadJpegPicture(op.source);
        if (!decoded)
            return decoded.outcome();
        const Picture& image = **decoded;
        const auto& pixels = image.pixels;
        uLongf size = compressBound(static_cast<uLong>(pixels.size()));
        stream.resize(size);
        if (compress2(reinterpret_cast<Bytef*>(stream.data()), &size, pixels.data(), static_cast<uLong>(pixels.size()),
                      6) != Z_OK)
            return catalogue::Outcome::failure("Image illisible : " + op.source, "Cinevaro");
        stream.resize(size);
        dictionary = "/Width " + std::to_string(image.width) + " /Height " + std::to_string(image.height) +
                     " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode";
    }
    const int image = newObject();
    write("<< /Type /XObject /Subtype /Image " + dictionary + " /Length " + std::to_string(stream.size()) +
          " >>\nstream\n");
    write(stream);
    write("\nendstream\n");
    endObject();
    const std::string name = "/Im" + std::to_string(++m_images);
    resources += name + " " + std::to_string(image) + " 0 R ";
    const double k = kPointsPerMm;
    content += "q " + num((op.x2 - op.x1) * k) + " 0 0 " + num((op.y2 - op.y1) * k) + " " + num(op.x1 * k) + " " +
               num((m_format.pageHeight - op.y2) * k) + " cm " + name + " Do Q\n";
    return catalogue::Outcome::success();
}

catalogue::Outcome PdfWriter::addPage(const PrintPage& page)
{
    std::string content;
    std::string images;
    const double k = kPointsPerMm;
    for (const auto& op : page.ops) {
        switch (op.kind) {
        case DrawOp::Kind::Text:
            text(content, op);
            break;
        case DrawOp::Kind::TextBox:
            textBox(content, op);
            break;
        case DrawOp::Kind::Picture:
            if (!op.source.empty())
                if (auto drawn = picture(content, images, op); !drawn)
                    return drawn;
            break;
        case DrawOp::Kind::Line:
            content += colour(op.pen, "RG") + num(0.3 * k) + " w " + num(op.x1 * k) + " " +
                       num((m_format.pageHeight - op.y1) * k) + " m " + num(op.x2 * k) + " " +
                       num((m_format.pageHeight - op.y2) * k) + " l S\n";
            break;
        }
    }
    const int stream = newObject();
    write("<< /Length " + std::to_string(content.size()) + " >>\nstream\n");
    write(content);
    write("endstream\n");
    endObject();
    const int pageObject = newObject();
    write("<< /Type /Page /Parent " + std::to_string(m_pagesObject) + " 0 R /MediaBox [0 0 " +
          num(m_format.pageWidth * k) + " " + num(m_format.pageHeight * k) + "] /Resources << /Font << /F1 " +
          std::to_string(m_regularFont) + " 0 R /F2 " + std::to_string(m_boldFont) + " 0 R >>" +
          (images.empty() ? std::string() : " /XObject << " + images + ">>") + " >> /Contents " +
          std::to_string(stream) + " 0 R >>\n");
    endObject();
    m_pages.push_back(pageObject);
    return catalogue::Outcome::success();
}

void PdfWriter::finish()
{
    if (m_pages.empty())
        (void)addPage({});
    m_offsets[m_pagesObject - 1] = m_file.tell();
    std::string kids;
    for (const int page : m_pages)
        kids += std::to_string(page) + " 0 R ";
    write(std::to_string(m_pagesObject) + " 0 obj\n<< /Type /Pages /Kids [" + kids + "] /Count " +
          std::to_string(m_pages.size()) + " >>\nendobj\n");
    const int catalog = newObject();
    write("<< /Type /Catalog /Pages " + std::to_string(m_pagesObject) + " 0 R >>\n");
    endObject();
    const int info = newObject();
    write("<< /Title " + literal(m_format.title) + " /Creator (Cinevaro) /Producer (Cinevaro) >>\n");
    endObject();
    const std::uint64_t xref = m_file.tell();
    std::string table = "xref\n0 " + std::to_string(m_offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const std::uint64_t offset : m_offsets) {
        std::string digits = std::to_string(offset);
        table += std::string(10 - std::min<std::size_t>(10, digits.size()), '0') + digits + " 00000 n \n";
    }
    write(table);
    write("trailer\n<< /Size " + std::to_string(m_offsets.size() + 1) + " /Root " + std::to_string(catalog) +
          " 0 R /Info " + std::to_string(info) + " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
}

} // namespace cinevaro::output
