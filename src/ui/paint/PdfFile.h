// A PDF (or any document a painter writes page by page) written to a new temporary file beside
// its target and renamed over the target only once complete: a full disk, a failed drawing or
// a cancelled run leaves the previous file as it was and no stray temporary.
#pragma once

#include <QFile>

#include <string>

#include "catalogue/Outcome.h"

namespace cinevaro::paint {

class PdfFile
{
public:
    // `target`: native path bytes. The temporary is created at once (exclusively, never through
    // a link); device() is null when it could not be.
    explicit PdfFile(const std::string& target);
    ~PdfFile();
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    QIODevice* device() { return m_fd >= 0 ? &m_file : nullptr; }
    // Once the painter has ended (`drawn`: what QPainter::end returned): checks every write,
    // syncs the file, renames it over the target and syncs the folder. On any failure the
    // temporary is removed and the French message names the target (Windows-1252 bytes).
    catalogue::Outcome commit(bool drawn);

private:
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    QFile m_file;
};

} // namespace cinevaro::paint
