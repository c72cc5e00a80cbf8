#include "catalogue/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>

#include <jpeglib.h>
// jerror.h lists the message codes after jpeglib.h.
#include <jerror.h>

#include "table/Cp1252.h"

namespace cinevaro::catalogue {

namespace {

// libjpeg calls error_exit on a fatal error; jump back to decodeJpeg instead of exiting.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo)
{
    // The error's code stays in msg_code; reasonOf gives its French words.
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void silentMessage(j_common_ptr, int)
{
}

// The reason of a fatal decoding error in French; the library's own texts are English.
std::string reasonOf(int code)
{
    switch (code) {
    case JERR_NO_SOI:
        return table::cp("ce n'est pas une image JPEG");
    case JERR_INPUT_EMPTY:
    case JERR_INPUT_EOF:
        return table::cp("fichier tronqué");
    default:
        return table::cp("image JPEG endommagée");
    }
}

Outcome failure(const std::string& why)
{
    return Outcome::failure(table::cp("Image illisible : ") + why);
}

// Smallest scale (1/8 .. 1) whose picture still covers the box.
unsigned int scaleDenominator(unsigned int w, unsigned int h, int boxW, int boxH)
{
    if (boxW <= 0 || boxH <= 0)
        return 1;
    for (unsigned int d : {8u, 4u, 2u})
        if (w / d >= static_cast<unsigned int>(boxW) && h / d >= static_cast<unsigned int>(boxH))
            return d;
    return 1;
}

// After the header: refuses absurd dimensions, sets the output colour space and the scale,
// within the memory budget. False with the French reason otherwise.
bool plan(jpeg_decompress_struct& cinfo, int boxW, int boxH, std::string& error)
{
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kJpegMaxSide ||
        cinfo.image_height > kJpegMaxSide ||
        static_cast<long long>(cinfo.image_width) * cinfo.image_height > kJpegMaxPixels) {
        error = table::cp("dimensions invalides (") + std::to_string(cinfo.image_width) + " x " +
                std::to_string(cinfo.image_height) + ")";
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    // A progressive (or otherwise multi-scan) picture keeps all its coefficients, 2 bytes each,
    // at full size whatever the output scale: a few hundred bytes can claim hundreds of MB.
    long long coefficients = 0;
    if (jpeg_has_multiple_scans(&cinfo)) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            const jpeg_component_info& comp = cinfo.comp_info[c];
            const long long rows = (static_cast<long long>(comp.height_in_blocks) + comp.v_samp_factor - 1) /
                                   comp.v_samp_factor * comp.v_samp_factor;
            coefficients += static_cast<long long>(comp.width_in_blocks) * rows * DCTSIZE2 * 2;
        }
    }
    // The output at the scale that covers the box, or a smaller one when it would not fit in
    // the budget beside the coefficients.
    unsigned int denom = scaleDenominator(cinfo.image_width, cinfo.image_height, boxW, boxH);
    auto outputBytes = [&](unsigned int d) {
        return (static_cast<long long>(cinfo.image_width) + d - 1) / d * ((cinfo.image_height + d - 1) / d) * 3;
    };
    while (denom < 8 && kJpegWorkingMemory + coefficients + outputBytes(denom) > kJpegMemoryBudget)
        denom *= 2;
    if (kJpegWorkingMemory + coefficients + outputBytes(denom) > kJpegMemoryBudget) {
        error = table::cp("image trop grande (") + std::to_string(cinfo.image_width) + " x " +
                std::to_string(cinfo.image_height) + table::cp(") : la décoder demanderait plus de ") +
                std::to_string(kJpegMemoryBudget >> 20) + " Mo";
        return false;
    }
    // libjpeg's own allocations stay within the budget too (beyond it: an error, not a swap file).
    cinfo.mem->max_memory_to_use = static_cast<long>(kJpegMemoryBudget - outputBytes(denom));
    cinfo.scale_num = 1;
    cinfo.scale_denom = denom;
    return true;
}

void noteFacts(const jpeg_decompress_struct& cinfo, JpegFacts& facts)
{
    facts.width = static_cast<int>(cinfo.image_width);
    facts.height = static_cast<int>(cinfo.image_height);
    facts.components = cinfo.num_components;
    facts.adobeInverted = cinfo.num_components == 4 && cinfo.saw_Adobe_marker;
    facts.plainEightBit = cinfo.data_precision == 8 && !cinfo.arith_code &&
                          (cinfo.num_components == 1 || cinfo.num_components == 3 || cinfo.num_components == 4);
}

// One line of `w` CMYK pixels as RGB. Adobe files store CMYK inverted; C*K gives the red channel
// and so on.
void cmykToRgb(const unsigned char* line, bool adobeInverted, int w, unsigned char* dst)
{
    for (int x = 0; x < w; ++x) {
        int c = line[x * 4], m = line[x * 4 + 1], ye = line[x * 4 + 2], k = line[x * 4 + 3];
        if (!adobeInverted) {
            c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
        }
        dst[x * 3] = static_cast<unsigned char>(c * k / 255);
        dst[x * 3 + 1] = static_cast<unsigned char>(m * k / 255);
        dst[x * 3 + 2] = static_cast<unsigned char>(ye * k / 255);
    }
}

// One decoded line of `w` pixels of `comps` bytes as RGB: the library gives CMYK (4) as it is
// stored and every other picture, grey ones included, as RGB (3).
void toRgb(const unsigned char* line, int comps, bool adobeInverted, int w, unsigned char* dst)
{
    if (comps == 4)
        cmykToRgb(line, adobeInverted, w, dst);
    else
        std::copy(line, line + static_cast<std::size_t>(w) * 3, dst);
}

// The pixels, line by line, through `line`. Holds no object with a destructor: a libjpeg error
// jumps back over it to decode.
void readPixels(jpeg_decompress_struct& cinfo, RgbImage& out, std::vector<unsigned char>& line)
{
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    const int comps = cinfo.output_components;
    out.pixels.assign(static_cast<std::size_t>(w) * h * 3, 0);
    line.assign(static_cast<std::size_t>(w) * comps, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* rows[1] = {line.data()};
        const int y = static_cast<int>(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, rows, 1);
        toRgb(line.data(), comps, cinfo.saw_Adobe_marker, w, out.pixels.data() + static_cast<std::size_t>(y) * w * 3);
    }
    jpeg_finish_decompress(&cinfo);
    out.width = w;
    out.height = h;
}

// Decoding proper. Every object with a destructor lives in the caller, so the long jump back
// to setjmp skips none. Without `out`, stops after the header and the plan.
bool decode(jpeg_decompress_struct& cinfo, ErrorManager& jerr, const unsigned char* data, std::size_t size,
            RgbImage* out, std::vector<unsigned char>& line, int boxW, int boxH, std::string& error, JpegFacts* facts)
{
    if (setjmp(jerr.jump)) {
        error = reasonOf(jerr.pub.msg_code);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!plan(cinfo, boxW, boxH, error))
        return false;
    if (facts)
        noteFacts(cinfo, *facts);
    if (out)
        readPixels(cinfo, *out, line);
    return true;
}

Outcome run(const unsigned char* data, std::size_t size, RgbImage* out, int boxWidth, int boxHeight,
            JpegFacts* facts = nullptr)
{
    if (!data || size < 4)
        return failure(table::cp("fichier vide ou tronqué"));
    jpeg_decompress_struct cinfo{};
    ErrorManager jerr{};
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = errorExit;
    jerr.pub.output_message = [](j_common_ptr) {};
    jerr.pub.emit_message = silentMessage;
    std::string error;
    std::vector<unsigned char> line;
    const bool ok = decode(cinfo, jerr, data, size, out, line, boxWidth, boxHeight, error, facts);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        if (out)
            *out = RgbImage{};
        return failure(error);
    }
    return Outcome::success();
}

// The whole file, unless it is larger than any cover should be.
Outcome readFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0)
        return Outcome::failure(table::cp("Impossible d'ouvrir l'image ") + path);
    if (size > kJpegMaxFileSize)
        return failure(table::cp("fichier trop grand pour une affiche (") + std::to_string(size >> 20) + " Mo)");
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
        return Outcome::failure(table::cp("Impossible d'ouvrir l'image ") + path);
    return Outcome::success();
}

} // namespace

Outcome decodeJpeg(const unsigned char* data, std::size_t size, RgbImage& out, int boxWidth, int boxHeight)
{
    out = RgbImage{};
    return run(data, size, &out, boxWidth, boxHeight);
}

Outcome decodeJpegFile(const std::string& path, RgbImage& out, int boxWidth, int boxHeight)
{
    out = RgbImage{};
    std::vector<unsigned char> bytes;
    if (auto read = readFile(path, bytes); !read)
        return read;
    return decodeJpeg(bytes.data(), bytes.size(), out, boxWidth, boxHeight);
}

Outcome readJpegFile(const std::string& path, std::vector<unsigned char>& bytes, JpegFacts& facts, int boxWidth,
                     int boxHeight)
{
    facts = JpegFacts{};
    if (auto read = readFile(path, bytes); !read)
        return read;
    return run(bytes.data(), bytes.size(), nullptr, boxWidth, boxHeight, &facts);
}

Outcome checkJpegFile(const std::string& path, int boxWidth, int boxHeight)
{
    std::vector<unsigned char> bytes;
    if (auto read = readFile(path, bytes); !read)
        return read;
    return run(bytes.data(), bytes.size(), nullptr, boxWidth, boxHeight);
}

} // namespace cinevaro::catalogue
