#include "catalogue/Versions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "catalogue/VersionDelta.h"
#include "table/Cp1252.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"

namespace fs = std::filesystem;

namespace cinevaro::catalogue {

namespace {

constexpr std::size_t kMaxFileSize = std::size_t(1) << 31;
constexpr int kKeepLast = 50;
constexpr std::int64_t kKeepDays = 60;
// A new base is packed when a version shares less than this with the current base.
constexpr double kNewBaseShare = 0.3;

std::function<std::int64_t()>& clockFunction()
{
    static std::function<std::int64_t()> clock;
    return clock;
}

std::optional<std::string> readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(bytes).str();
}

// Every version file goes through the safe-file helper: temporary file, sync, rename.
bool writeWhole(const std::string& path, std::string_view bytes)
{
    return table::writeFileAtomically(path, bytes).ok;
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Moves a file, copying across file systems.
bool moveFile(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
        return false;
    fs::remove(from, ec);
    return true;
}

std::string localDay(std::int64_t time)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return std::to_string(tm.tm_year + 1900) + "-" + std::to_string(tm.tm_yday);
}

int filmCount(const std::string& bytes)
{
    table::TMlb2 t;
    if (!t.LoadFromBuffer(bytes))
        return -1;
    return std::max(0, t.RowCount() - 1);
}

struct Header
{
    std::int64_t time = 0;
    std::string operation;
    bool redo = false;
    bool keepRedo = false; // made by a redo: the other redo entries stay
    int films = -1;
    int base = 0;
    std::vector<std::string> kept;
    std::vector<std::string> added;
};

std::string formatHeader(const Header& h)
{
    std::string out = "time=" + std::to_string(h.time) + "\noperation=" + h.operation +
                      "\nredo=" + (h.redo ? "1" : "0") + "\nkeepredo=" + (h.keepRedo ? "1" : "0") +
                      "\nfilms=" + std::to_string(h.films) + "\nbase=" + std::to_string(h.base) + "\n";
    for (const auto& k : h.kept)
        out += "kept=" + k + "\n";
    for (const auto& a : h.added)
        out += "added=" + a + "\n";
    return out + "\n";
}

// Parses the header; `end` receives the offset of the bytes after it.
std::optional<Header> parseHeader(std::string_view text, std::size_t* end = nullptr)
{
    Header h;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto eol = text.find('\n', pos);
        if (eol == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.empty()) {
            if (end)
                *end = pos;
            return h;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            return std::nullopt;
        const std::string key(line.substr(0, eq));
        const std::string value(line.substr(eq + 1));
        if (key == "time")
            h.time = std::atoll(value.c_str());
        else if (key == "operation")
            h.operation = value;
        else if (key == "redo")
            h.redo = value == "1";
        else if (key == "keepredo")
            h.keepRedo = value == "1";
        else if (key == "films")
            h.films = std::atoi(value.c_str());
        else if (key == "base")
            h.base = std::atoi(value.c_str());
        else if (key == "kept")
            h.kept.push_back(value);
        else if (key == "added")
            h.added.push_back(value);
    }
    if (end)
        *end = pos;
    return h;
}

// "v12.ver" -> 12; 0 when the name is not of that kind.
int numberOf(const std::string& name, const std::string& prefix, const std::string& suffix)
{
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit))
        return 0;
    return std::atoi(digits.c_str());
}

bool safeCoverName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

} // namespace

namespace {
bool& enabledFlag()
{
    static bool enabled = true;
    return enabled;
}
} // namespace

void VersionStore::setEnabledForTesting(bool enabled)
{
    enabledFlag() = enabled;
}

bool VersionStore::enabled()
{
    return enabledFlag();
}

void VersionStore::setClockForTesting(std::function<std::int64_t()> clock)
{
    clockFunction() = std::move(clock);
}

std::int64_t VersionStore::now()
{
    if (clockFunction())
        return clockFunction()();
    return static_cast<std::int64_t>(std::time(nullptr));
}

VersionStore::VersionStore(std::string catalogueFile, std::string collectionFolder)
    : m_catalogueFile(std::move(catalogueFile)), m_collectionFolder(std::move(collectionFolder))
{
    fs::path file(m_catalogueFile);
    std::string name = file.filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".cvo") == 0)
        name.resize(name.size() - 4);
    m_folder = (file.parent_path() / (name + ".versions")).string() + "/";
    if (!m_collectionFolder.empty() && m_collectionFolder.back() != '/')
        m_collectionFolder += '/';
}

VersionStore::~VersionStore()
{
    if (m_pending && m_groupDepth > 0 && m_groupSaved) {
        m_groupDepth = 1;
        // A destructor has no one to report to: a version that cannot be written is simply not kept.
        static_cast<void>(endGroup());
    }
    if (m_pending) {
        m_groupDepth = 0;
        abort();
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

std::string VersionStore::coversFolder(int number) const
{
    return path("v" + std::to_string(number) + ".covers/");
}

bool VersionStore::ensureFolder()
{
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    return fs::is_directory(m_folder, ec);
}

int VersionStore::nextNumber()
{
    int highest = m_lastNumber;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(m_folder, ec)) {
        const std::string name = item.path().filename().string();
        for (const char* suffix : {".ver", ".hdr", ".raw", ".covers", ".base"})
            highest = std::max({highest, numberOf(name, "v", suffix), numberOf(name, "b", suffix)});
    }
    m_lastNumber = highest + 1;
    return m_lastNumber;
}

void VersionStore::prepare(const std::string& operation)
{
    if (m_groupDepth > 0) {
        prepareInGroup();
        return;
    }
    if (m_pending)
        return;
    Pending p;
    p.operation = operation;
    p.hadFile = enabled() && exists(m_catalogueFile);
    if (!p.hadFile || !ensureFolder()) {
        m_pending = std::move(p); // nothing to keep, or no folder (reported at commit)
        return;
    }
    p.number = nextNumber();
    p.linked = ::link(m_catalogueFile.c_str(), path("v" + std::to_string(p.number) + ".raw").c_str()) == 0;
    if (!p.linked) {
        // File systems without hard links: a copy.
        std::error_code ec;
        p.linked = fs::copy_file(m_catalogueFile, path("v" + std::to_string(p.number) + ".raw"), ec);
    }
    m_pending = std::move(p);
}

Outcome VersionStore::writeHeader(const Pending& p, std::int64_t time)
{
    Header h;
    h.time = time;
    h.operation = p.operation;
    h.redo = p.redo;
    h.keepRedo = p.keepRedo;
    h.kept = p.keptCovers;
    h.added = p.addedCovers;
    if (!writeWhole(path("v" + std::to_string(p.number) + ".hdr"), formatHeader(h)))
        return Outcome::failure(table::cp("La version précédente de la base n'a pas pu être conservée dans ") +
                                table::cp(m_folder) + table::cp(" (disque plein ou accès refusé)."));
    return Outcome::success();
}

Outcome VersionStore::commit()
{
    if (!m_pending)
        return Outcome::success();
    if (m_groupDepth > 0) {
        m_groupSaved = true; // the version is made when the group ends
        return Outcome::success();
    }
    Pending p = std::move(*m_pending);
    m_pending.reset();
    if (!p.hadFile)
        return Outcome::success(); // a new catalogue: nothing was replaced
    if (!p.linked) {
        if (p.number)
            removeVersionFiles(p.number);
        return Outcome::failure(table::cp("La version précédente de la base n'a pas pu être conservée dans ") +
                                table::cp(m_folder) + table::cp(" (disque plein ou accès refusé)."));
    }
    Outcome written = writeHeader(p, now());
    if (!written) {
        removeVersionFiles(p.number);
        return written;
    }
    m_lastNumber = std::max(m_lastNumber, p.number);
    enqueue(p.number);
    return Outcome::success();
}

void VersionStore::abort()
{
    if (!m_pending)
        return;
    if (m_groupDepth > 0 && m_groupSaved)
        return; // earlier saves of the group stand: their version stays pending
    Pending p = std::move(*m_pending);
    m_pending.reset();
    m_groupOpen = false;
    for (const auto& name : p.keptCovers)
        moveFile(coversFolder(p.number) + name, m_collectionFolder + name);
    if (p.number)
        removeVersionFiles(p.number);
}

void VersionStore::keepCover(const std::string& coverPath)
{
    recordCover(coverPath, CoverChange::Removed);
}

void VersionStore::keepCoverBeforeWrite(const std::string& coverPath)
{
    recordCover(coverPath, exists(coverPath) ? CoverChange::Overwritten : CoverChange::Added);
}

void VersionStore::noteAddedCover(const std::string& coverPath)
{
    recordCover(coverPath, CoverChange::Added);
}

void VersionStore::recordCover(const std::string& coverPath, CoverChange change)
{
    const std::string name = fileName(coverPath);
    const int number = !enabled() ? 0 : m_pending ? m_pending->number : m_lastNumber;
    std::error_code ec;
    if (change != CoverChange::Added) {
        if (!exists(coverPath))
            return;
        bool kept = number != 0 && safeCoverName(name) && ensureFolder();
        if (kept) {
            fs::create_directories(coversFolder(number), ec);
            kept = change == CoverChange::Removed ? moveFile(coverPath, coversFolder(number) + name)
                                                  : fs::copy_file(coverPath, coversFolder(number) + name,
                                                                  fs::copy_options::overwrite_existing, ec);
        }
        if (!kept) {
            if (change == CoverChange::Removed)
                fs::remove(coverPath, ec);
            return;
        }
    } else if (number == 0 || !safeCoverName(name)) {
        return;
    }
    if (m_pending) {
        auto& names = change == CoverChange::Added ? m_pending->addedCovers : m_pending->keptCovers;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
        return;
    }
    // After the save: the version it made learns of the cover.
    flush();
    auto add = [&](Header& h) {
        auto& names = change == CoverChange::Added ? h.added : h.kept;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    const std::string hdrPath = path("v" + std::to_string(number) + ".hdr");
    const std::string verPath = path("v" + std::to_string(number) + ".ver");
    if (auto hdr = readWhole(hdrPath)) {
        if (auto h = parseHeader(*hdr)) {
            add(*h);
            writeWhole(hdrPath, formatHeader(*h));
        }
    } else if (auto ver = readWhole(verPath)) {
        std::size_t end = 0;
        if (auto h = parseHeader(*ver, &end)) {
            add(*h);
            writeWhole(verPath, formatHeader(*h) + ver->substr(end));
        }
    }
}

std::set<std::string> VersionStore::collectionNames() const
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(m_collectionFolder, ec))
        names.insert(item.path().filename().string());
    return names;
}

void VersionStore::beginGroup(const std::string& operation)
{
    if (m_groupDepth++ > 0)
        return;
    m_groupStart = collectionNames();
    m_groupOpen = false;
    m_groupSaved = false;
    m_groupOperation = operation;
}

void VersionStore::prepareInGroup()
{
    if (m_groupDepth == 0 || m_groupOpen)
        return;
    m_groupOpen = true;
    --m_groupDepth; // prepare takes the file as it is before the group's first save
    prepare(m_groupOperation);
    ++m_groupDepth;
}

Outcome VersionStore::endGroup()
{
    if (m_groupDepth == 0 || --m_groupDepth > 0 || !m_groupOpen)
        return Outcome::success();
    m_groupOpen = false;
    // Covers the group created: undo removes them again.
    for (const auto& name : collectionNames())
        if (!m_groupStart.count(name))
            noteAddedCover(m_collectionFolder + name);
    return commit();
}

void VersionStore::enqueue(int number)
{
    std::lock_guard lock(m_mutex);
    if (number)
        m_queue.push_back(number);
    if (!m_worker.joinable())
        m_worker = std::thread([this] { work(); });
    m_wake.notify_all();
}

void VersionStore::flush()
{
    // Versions left unpacked by an earlier run are packed first.
    std::error_code ec;
    std::vector<int> left;
    for (const auto& item : fs::directory_iterator(m_folder, ec)) {
        const int n = numberOf(item.path().filename().string(), "v", ".hdr");
        if (n && (!m_pending || m_pending->number != n))
            left.push_back(n);
    }
    std::sort(left.begin(), left.end());
    {
        std::lock_guard lock(m_mutex);
        for (int n : left)
            if (std::find(m_queue.begin(), m_queue.end(), n) == m_queue.end())
                m_queue.push_back(n);
    }
    if (!left.empty())
        enqueue(0);
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void VersionStore::work()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty() && m_stop)
            return;
        const int number = m_queue.front();
        m_queue.erase(m_queue.begin());
        m_busy = true;
        lock.unlock();
        packOne(number);
        prune();
        lock.lock();
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void VersionStore::packOne(int number)
{
    const std::string stem = "v" + std::to_string(number);
    auto hdrText = readWhole(path(stem + ".hdr"));
    auto raw = readWhole(path(stem + ".raw"));
    if (!hdrText || !raw)
        return;
    auto header = parseHeader(*hdrText);
    if (!header)
        return;
    // A save that changed nothing keeps no version.
    if (header->kept.empty() && header->added.empty()) {
        std::string successor;
        bool known = false;
        std::error_code ec;
        int next = 0;
        for (const auto& item : fs::directory_iterator(m_folder, ec)) {
            const std::string name = item.path().filename().string();
            for (const char* suffix : {".ver", ".hdr"}) {
                const int n = numberOf(name, "v", suffix);
                if (n > number && (next == 0 || n < next))
                    next = n;
            }
        }
        if (next == 0) {
            if (auto current = readWhole(m_catalogueFile)) {
                successor = std::move(*current);
                known = true;
            }
        } else if (auto r = readWhole(path("v" + std::to_string(next) + ".raw"))) {
            successor = std::move(*r);
            known = true;
        }
        if (known && successor == *raw) {
            removeVersionFiles(number);
            return;
        }
    }
    // A real change forgets what could be redone before it.
    if (!header->redo && !header->keepRedo)
        dropRedoBefore(number);
    header->films = filmCount(*raw);
    if (m_baseNumber == 0 || !exists(path("b" + std::to_string(m_baseNumber) + ".base"))) {
        // The newest base on disk, if any.
        m_baseNumber = 0;
        m_baseBytes.clear();
        std::error_code ec;
        int newest = 0;
        for (const auto& item : fs::directory_iterator(m_folder, ec))
            newest = std::max(newest, numberOf(item.path().filename().string(), "b", ".base"));
        if (newest)
            if (auto packed = readWhole(path("b" + std::to_string(newest) + ".base")))
                if (auto bytes = inflateBytes(*packed, kMaxFileSize)) {
                    m_baseNumber = newest;
                    m_baseBytes = std::move(*bytes);
                }
    }
    std::string delta;
    if (m_baseNumber) {
        delta = makeDelta(m_baseBytes, *raw);
        if (static_cast<double>(deltaLiteralBytes(delta)) > kNewBaseShare * static_cast<double>(raw->size()))
            delta.clear();
    }
    if (delta.empty()) {
        if (!writeWhole(path("b" + std::to_string(number) + ".base"), deflateBytes(*raw, 6)))
            return; // stays unpacked; tried again later
        m_baseNumber = number;
        m_baseBytes = *raw;
        delta = makeDelta(m_baseBytes, *raw);
    }
    header->base = m_baseNumber;
    if (!writeWhole(path(stem + ".ver"), formatHeader(*header) + deflateBytes(delta, 6)))
        return;
    ::unlink(path(stem + ".raw").c_str());
    ::unlink(path(stem + ".hdr").c_str());
    dropUnchangedBefore(number, *raw);
}

void VersionStore::dropUnchangedBefore(int number, const std::string& bytes)
{
    // The version just before holds the same file as this one when the save that made it changed
    // nothing (it was packed while this save was under way): it is no step to undo.
    int previous = 0;
    for (const auto& e : scan())
        if (e.Number < number && e.Number > previous)
            previous = e.Number;
    if (previous == 0)
        return;
    const std::string stem = "v" + std::to_string(previous);
    std::optional<std::string> head =
        readWhole(exists(path(stem + ".hdr")) ? path(stem + ".hdr") : path(stem + ".ver"));
    const auto h = head ? parseHeader(*head) : std::nullopt;
    if (!h || h->redo || !h->kept.empty() || !h->added.empty())
        return;
    if (const auto before = reconstruct(previous); before && *before == bytes)
        removeVersionFiles(previous);
}

std::vector<VersionEntry> VersionStore::scan() const
{
    std::map<int, VersionEntry> found;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(m_folder, ec)) {
        const std::string name = item.path().filename().string();
        int n = numberOf(name, "v", ".ver");
        if (!n)
            n = numberOf(name, "v", ".hdr");
        if (!n || found.count(n))
            continue;
        std::ifstream in(item.path(), std::ios::binary);
        std::string head(4096, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        const auto h = parseHeader(head);
        if (!h)
            continue;
        found[n] = VersionEntry{n, h->time, h->operation, h->films, h->redo};
    }
    std::vector<VersionEntry> out;
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        out.push_back(it->second);
    return out;
}

void VersionStore::prune()
{
    const auto entries = scan();
    const std::int64_t limit = now() - kKeepDays * 24 * 3600;
    std::set<std::string> days;
    int kept = 0;
    for (const auto& e : entries) {
        if (e.Redo)
            continue;
        const std::string day = localDay(e.Time);
        const bool packed = exists(path("v" + std::to_string(e.Number) + ".ver"));
        if (kept < kKeepLast || !packed) {
            ++kept;
            days.insert(day);
            continue;
        }
        if (e.Time >= limit && days.insert(day).second)
            continue;
        removeVersionFiles(e.Number);
    }
    // Bases no version needs any more.
    std::set<int> used{m_baseNumber};
    std::error_code ec;
    std::vector<int> bases;
    for (const auto& item : fs::directory_iterator(m_folder, ec)) {
        const std::string name = item.path().filename().string();
        if (int b = numberOf(name, "b", ".base"))
            bases.push_back(b);
        else if (numberOf(name, "v", ".ver")) {
            std::ifstream in(item.path(), std::ios::binary);
            std::string head(4096, '\0');
            in.read(head.data(), static_cast<std::streamsize>(head.size()));
            head.resize(static_cast<std::size_t>(in.gcount()));
            if (auto h = parseHeader(head))
                used.insert(h->base);
        }
    }
    for (int b : bases)
        if (!used.count(b))
            ::unlink(path("b" + std::to_string(b) + ".base").c_str());
}

void VersionStore::dropRedoBefore(int number)
{
    for (const auto& e : scan())
        if (e.Redo && e.Number < number)
            removeVersionFiles(e.Number);
}

void VersionStore::removeVersionFiles(int number)
{
    const std::string stem = "v" + std::to_string(number);
    for (const char* suffix : {".raw", ".hdr", ".ver"})
        ::unlink(path(stem + suffix).c_str());
    std::error_code ec;
    fs::remove_all(coversFolder(number), ec);
}

std::optional<std::string> VersionStore::reconstruct(int number) const
{
    const std::string stem = "v" + std::to_string(number);
    if (exists(path(stem + ".raw")))
        return readWhole(path(stem + ".raw"));
    auto ver = readWhole(path(stem + ".ver"));
    if (!ver)
        return std::nullopt;
    std::size_t end = 0;
    auto h = parseHeader(*ver, &end);
    if (!h || h->base == 0)
        return std::nullopt;
    auto delta = inflateBytes(std::string_view(*ver).substr(end), kMaxFileSize);
    if (!delta)
        return std::nullopt;
    std::optional<std::string> base;
    if (h->base == m_baseNumber && !m_baseBytes.empty())
        base = m_baseBytes;
    else if (auto packed = readWhole(path("b" + std::to_string(h->base) + ".base")))
        base = inflateBytes(*packed, kMaxFileSize);
    if (!base)
        return std::nullopt;
    return applyDelta(*base, *delta);
}

std::vector<VersionEntry> VersionStore::list()
{
    flush();
    return scan();
}

std::optional<VersionEntry> VersionStore::nextUndo()
{
    for (const auto& e : list())
        if (!e.Redo)
            return e;
    return std::nullopt;
}

std::optional<VersionEntry> VersionStore::nextRedo()
{
    for (const auto& e : list())
        if (e.Redo)
            return e;
    return std::nullopt;
}

Outcome VersionStore::bringBack(const VersionEntry& entry, bool toRedo)
{
    auto target = reconstruct(entry.Number);
    if (!target)
        return Outcome::failure(table::cp("La version ") + std::to_string(entry.Number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));
    auto header = [&]() -> std::optional<Header> {
        const std::string stem = "v" + std::to_string(entry.Number);
        if (auto hdr = readWhole(path(stem + ".hdr")))
            return parseHeader(*hdr);
        if (auto ver = readWhole(path(stem + ".ver")))
            return parseHeader(*ver);
        return std::nullopt;
    }();
    if (!header)
        return Outcome::failure(table::cp("La version ") + std::to_string(entry.Number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));

    // The current state becomes the entry of the other direction.
    prepare(entry.Operation);
    m_pending->redo = toRedo;
    m_pending->keepRedo = !toRedo;
    std::error_code ec;
    const std::string from = coversFolder(entry.Number);
    for (const auto& name : header->added)
        if (safeCoverName(name) && exists(m_collectionFolder + name))
            keepCover(m_collectionFolder + name);
    for (const auto& name : header->kept) {
        if (!safeCoverName(name) || !exists(from + name))
            continue;
        if (exists(m_collectionFolder + name))
            keepCover(m_collectionFolder + name);
        else
            m_pending->addedCovers.push_back(name);
        fs::create_directories(m_collectionFolder, ec);
        moveFile(from + name, m_collectionFolder + name);
    }
    if (!writeWhole(m_catalogueFile, *target)) {
        // Put the covers back as they were.
        for (const auto& name : header->kept)
            if (exists(m_collectionFolder + name) && !exists(from + name)) {
                fs::create_directories(from, ec);
                moveFile(m_collectionFolder + name, from + name);
            }
        abort();
        return Outcome::failure(table::cp("La base ") + table::cp(m_catalogueFile) +
                                table::cp(" n'a pas pu être enregistrée (disque plein ou accès refusé) ; "
                                          "le fichier précédent est conservé"));
    }
    removeVersionFiles(entry.Number);
    Pending p = *m_pending;
    m_pending.reset();
    if (p.linked && writeHeader(p, now())) {
        enqueue(p.number);
    } else if (p.number) {
        removeVersionFiles(p.number);
    }
    return Outcome::success();
}

Outcome VersionStore::undo()
{
    const auto entry = nextUndo();
    if (!entry)
        return Outcome::failure(table::cp("Aucune modification à annuler."));
    return bringBack(*entry, true);
}

Outcome VersionStore::redo()
{
    const auto entry = nextRedo();
    if (!entry)
        return Outcome::failure(table::cp("Aucune modification à rétablir."));
    return bringBack(*entry, false);
}

Outcome VersionStore::restore(int number)
{
    const auto entries = list();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [number](const VersionEntry& e) { return e.Number == number && !e.Redo; });
    if (found == entries.end())
        return Outcome::failure(table::cp("La version ") + std::to_string(number) + table::cp(" n'existe pas."));
    auto target = reconstruct(number);
    if (!target)
        return Outcome::failure(table::cp("La version ") + std::to_string(number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));
    prepare(table::cp("Restauration de version"));
    // Covers removed since that version come back where the folder has none of that name.
    std::error_code ec;
    for (const auto& e : entries) {
        if (e.Redo || e.Number < number)
            continue;
        for (const auto& item : fs::directory_iterator(coversFolder(e.Number), ec)) {
            const std::string name = item.path().filename().string();
            if (!exists(m_collectionFolder + name)) {
                fs::create_directories(m_collectionFolder, ec);
                if (fs::copy_file(item.path(), m_collectionFolder + name, ec))
                    m_pending->addedCovers.push_back(name);
            }
        }
    }
    if (!writeWhole(m_catalogueFile, *target)) {
        for (const auto& name : m_pending->addedCovers)
            fs::remove(m_collectionFolder + name, ec);
        m_pending->addedCovers.clear();
        abort();
        return Outcome::failure(table::cp("La base ") + table::cp(m_catalogueFile) +
                                table::cp(" n'a pas pu être enregistrée (disque plein ou accès refusé) ; "
                                          "le fichier précédent est conservé"));
    }
    return commit();
}

} // namespace cinevaro::catalogue
