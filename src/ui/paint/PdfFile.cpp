#include "ui/paint/PdfFile.h"

#include <cerrno>

#include "table/Cp1252.h"

namespace cinevaro::paint {

// The temporary file as a Qt device: every write goes to the writer, whose failures are kept
// for commit().
class PdfFile::Device : public QIODevice
{
public:
    explicit Device(table::SafeFileWriter& writer) : m_writer(writer) { open(QIODevice::WriteOnly); }

    bool seek(qint64 pos) override
    {
        return pos >= 0 && QIODevice::seek(pos) && m_writer.seek(static_cast<std::uint64_t>(pos));
    }
    qint64 size() const override { return static_cast<qint64>(m_writer.size()); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        return m_writer.write(data, static_cast<std::size_t>(length)) ? length : -1;
    }

private:
    table::SafeFileWriter& m_writer;
};

PdfFile::PdfFile(const std::string& target) : m_writer(target)
{
    m_opened = m_writer.open();
    if (m_opened)
        m_device = std::make_unique<Device>(m_writer);
}

PdfFile::~PdfFile() = default; // the writer abandons an uncommitted file

QIODevice* PdfFile::device()
{
    return m_device.get();
}

catalogue::Outcome PdfFile::commit(bool drawn)
{
    if (m_device)
        m_device->close();
    if (!drawn)
        m_writer.fail(EIO, table::cp("Impossible d'écrire le fichier ") + m_writer.target() +
                               table::cp(" : le document n'a pas pu être produit ; aucun fichier n'a été modifié"));
    const table::FileWriteResult written = m_writer.commit();
    if (!written)
        return catalogue::Outcome::failure(written.message, "Cinevaro");
    return catalogue::Outcome::success();
}

} // namespace cinevaro::paint
