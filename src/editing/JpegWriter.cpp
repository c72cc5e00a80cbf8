#include "editing/JpegWriter.h"

#include <cerrno>
#include <csetjmp>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <jpeglib.h>

#include "table/Cp1252.h"
#include "table/SafeFile.h"

namespace cinevaro::editing {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: jump back instead.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onError(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

void onMessage(j_common_ptr)
{
}

// Kept out of encodeJpeg so no object with a destructor lives across setjmp.
bool compress(int width, int height, const unsigned char* rgb, int stride, int quality, unsigned char** buffer,
              unsigned long* size)
{
    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.output_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, buffer, size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<unsigned char*>(rgb + static_cast<std::size_t>(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

std::string encodeJpeg(int width, int height, const unsigned char* rgb, int stride, int quality)
{
    if (width <= 0 || height <= 0 || !rgb || stride < width * 3)
        return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = compress(width, height, rgb, stride, quality, &buffer, &size);
    std::string bytes;
    if (ok && buffer)
        bytes.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

catalogue::Outcome writeJpegFile(const std::string& path, int width, int height, const unsigned char* rgb, int stride,
                                 int quality)
{
    const auto cannotWrite = [&] {
        return catalogue::Outcome::failure(table::cp("Impossible d'écrire l'image ") + path, "Erreur");
    };
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        return catalogue::Outcome::failure(table::cp("L'image ") + path + table::cp(" existe déjà"));
    const std::string bytes = encodeJpeg(width, height, rgb, stride, quality);
    if (bytes.empty())
        return cannotWrite();
    // Linked rather than renamed into place, so a picture that appeared meanwhile is not replaced.
    table::SafeWriteOptions keep;
    keep.replace = false;
    if (const table::FileWriteResult written = table::writeFileAtomically(path, bytes, keep); !written) {
        if (written.error == EEXIST)
            return catalogue::Outcome::failure(table::cp("L'image ") + path + table::cp(" existe déjà"));
        return cannotWrite();
    }
    return catalogue::Outcome::success();
}

} // namespace cinevaro::editing
