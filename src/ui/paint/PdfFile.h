// A PDF (or any document a painter writes page by page) written through the safe-file helper:
// a new temporary file beside the target, renamed over it only once complete, so a full disk,
// a failed drawing or an abandoned run leaves the previous file as it was and no temporary.
#pragma once

#include <QIODevice>

#include <memory>
#include <string>

#include "catalogue/Outcome.h"
#include "table/SafeFile.h"

namespace cinevaro::paint {

class PdfFile
{
public:
    // `target`: native path bytes. The temporary file is created at once; device() is null when
    // it could not be.
    explicit PdfFile(const std::string& target);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    QIODevice* device();
    // Once the painter has ended (`drawn`: what QPainter::end returned): every write checked, the
    // file synced and renamed over the target, the folder synced. On any failure the temporary
    // is removed and the French message (Windows-1252) says why.
    catalogue::Outcome commit(bool drawn);

private:
    class Device;

    table::SafeFileWriter m_writer;
    std::unique_ptr<Device> m_device;
    table::FileWriteResult m_opened;
};

} // namespace cinevaro::paint
