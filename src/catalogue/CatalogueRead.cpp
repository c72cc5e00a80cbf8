#include "catalogue/CatalogueRead.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <future>
#include <mutex>
#include <string_view>
#include <utility>

#include "catalogue/CatalogueState.h"
#include "table/Platform.h"

namespace cinevaro::catalogue {

namespace {

// Catalogues from this size on have the memory they will take made present before loading.
constexpr std::size_t kPrefaultFrom = std::size_t{256} << 10;
constexpr std::size_t kPrefaultAtMost = std::size_t{256} << 20;

struct ReadAhead
{
    std::optional<std::pair<dev_t, ino_t>> file; // which file the path named before it was mapped
    std::size_t contentHash = 0;                 // of the bytes as mapped, before they were read
    CatalogueRead read;
};

std::optional<std::pair<dev_t, ino_t>> fileAt(const std::string& path, off_t* size = nullptr)
{
    struct stat s
    {
    };
    if (::stat(path.c_str(), &s) != 0)
        return std::nullopt;
    if (size)
        *size = s.st_size;
    return std::pair{s.st_dev, s.st_ino};
}

std::size_t hashOf(std::string_view bytes)
{
    return std::hash<std::string_view>{}(bytes);
}

struct Pending
{
    std::mutex mutex;
    std::string path;
    std::future<ReadAhead> reading;
};

Pending& pending()
{
    static Pending p;
    return p;
}

ReadAhead readAhead(const std::string& path)
{
    ReadAhead ahead;
    ahead.file = fileAt(path);
    ahead.read = readCatalogueFile(path, false, &ahead.contentHash, true);
    return ahead;
}

// True when the path still names the file read ahead, with the bytes read. The mapping shows the
// file as it is now (a write in place shows through it), so its bytes are hashed again and
// compared with those hashed before reading; the file's times need not move when it is written
// within one clock tick. A file put in its place or resized is told by the path's file and size.
bool stillTheFileRead(const std::string& path, const ReadAhead& ahead)
{
    off_t size = 0;
    const auto file = fileAt(path, &size);
    return ahead.read.bytes && file && file == ahead.file &&
           static_cast<std::size_t>(size) == ahead.read.bytes->bytes().size() &&
           hashOf(ahead.read.bytes->bytes()) == ahead.contentHash;
}

} // namespace

CatalogueRead readCatalogueFile(const std::string& path, bool prefault, std::size_t* contentHash, bool compare)
{
    CatalogueRead read;
    read.table = std::make_unique<table::TMlb2>();
    // Every row is completed to the schema below: the loader counts those cells too. The file is
    // mapped rather than read into the table's own buffer, which it keeps after loading; when it
    // cannot be mapped or read, the table's loader reads it and says why it failed.
    const int completed = static_cast<int>(schemaFields().size());
    read.bytes = table::MappedFile::open(path);
    if (contentHash && read.bytes)
        *contentHash = hashOf(read.bytes->bytes());
    // The rows, their sorting and the tree built from them take about four times the file.
    if (prefault && read.bytes && read.bytes->bytes().size() >= kPrefaultFrom)
        table::prefaultHeap(std::min<std::size_t>(4 * read.bytes->bytes().size(), kPrefaultAtMost));
    read.ok = read.bytes ? read.table->LoadFromBuffer(read.bytes->bytes(), completed)
                         : read.table->LoadFromFile(path, completed);
    if (!read.ok)
        return read;
    auto& t = *read.table;
    for (const auto& f : schemaFields())
        t.AddField(f);
    for (int n = 1; n <= t.RowCount(); ++n) {
        if (t.GetCell(posRESERVE1, n).empty())
            t.SetCell(t.FieldIndex("RESERVE1"), n, t.GetCell(posTITRE, n));
        if (t.GetCell(posRESERVE2, n).empty())
            t.SetCell(t.FieldIndex("RESERVE2"), n, kDefaultSupports);
    }
    t.SortBy("TITRE", true);
    if (compare && read.bytes)
        read.serialisesToBytes = t.SerialisesTo(read.bytes->bytes());
    return read;
}

void readCatalogueAhead(const std::string& path)
{
    Pending& p = pending();
    const std::lock_guard lock(p.mutex);
    p.path = path;
    try {
        p.reading = std::async(std::launch::async, &readAhead, path);
    } catch (const std::system_error&) {
        p.reading = {}; // no thread to spare: the open reads the file itself
    }
}

std::optional<CatalogueRead> takeCatalogueReadAhead(const std::string& path)
{
    Pending& p = pending();
    std::future<ReadAhead> reading;
    {
        const std::lock_guard lock(p.mutex);
        if (p.path != path || !p.reading.valid())
            return std::nullopt;
        reading = std::move(p.reading);
        p.path.clear();
    }
    ReadAhead ahead = reading.get();
    if (!ahead.read.ok || !stillTheFileRead(path, ahead))
        return std::nullopt;
    return std::move(ahead.read);
}

void waitForCatalogueReadAheadForTesting()
{
    Pending& p = pending();
    const std::lock_guard lock(p.mutex);
    if (p.reading.valid())
        p.reading.wait();
}

} // namespace cinevaro::catalogue
