// The version store's background work: packing each new version against its base, dropping
// versions equal to the next one, pruning old ones, and reading a version back.
#include "catalogue/Versions.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

#include "catalogue/VersionDelta.h"
#include "catalogue/VersionFiles.h"

namespace fs = std::filesystem;

namespace cinevaro::catalogue {

using namespace versionfiles;

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
    // Packing is background work: the thread yields the processor to the windows and to saves.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
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
    if (!header) {
        // Its header was lost (a power cut before the version was packed): the copy of the
        // catalogue goes; covers it held stay in its folder, since nothing else keeps them.
        ::unlink(path(stem + ".raw").c_str());
        ::unlink(path(stem + ".hdr").c_str());
        return;
    }
    // A save that changed nothing keeps no version.
    if (header->kept.empty() && header->added.empty() && successorBytes(number) == *raw) {
        removeVersionFiles(number);
        return;
    }
    // A real change forgets what could be redone before it.
    if (!header->redo && !header->keepRedo)
        dropRedoBefore(number);
    header->films = filmCount(*raw);
    const auto delta = deltaAgainstBase(number, *raw);
    if (!delta)
        return; // stays unpacked; tried again later
    header->base = m_baseNumber;
    if (!writeWhole(path(stem + ".ver"), formatHeader(*header) + deflateBytes(*delta, 6)))
        return;
    ::unlink(path(stem + ".raw").c_str());
    ::unlink(path(stem + ".hdr").c_str());
    dropUnchangedBefore(number, *raw);
}

std::optional<std::string> VersionStore::successorBytes(int number) const
{
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
    if (next == 0)
        return readWhole(m_catalogueFile);
    return readWhole(path("v" + std::to_string(next) + ".raw"));
}

void VersionStore::loadNewestBase()
{
    if (m_baseNumber != 0 && exists(path("b" + std::to_string(m_baseNumber) + ".base")))
        return;
    m_baseNumber = 0;
    m_baseBytes.clear();
    std::error_code ec;
    int newest = 0;
    for (const auto& item : fs::directory_iterator(m_folder, ec))
        newest = std::max(newest, numberOf(item.path().filename().string(), "b", ".base"));
    if (!newest)
        return;
    if (auto packed = readWhole(path("b" + std::to_string(newest) + ".base")))
        if (auto bytes = inflateBytes(*packed, kMaxFileSize)) {
            m_baseNumber = newest;
            m_baseBytes = std::move(*bytes);
        }
}

std::optional<std::string> VersionStore::deltaAgainstBase(int number, const std::string& raw)
{
    loadNewestBase();
    if (m_baseNumber) {
        std::string delta = makeDelta(m_baseBytes, raw);
        if (!delta.empty() &&
            static_cast<double>(deltaLiteralBytes(delta)) <= kNewBaseShare * static_cast<double>(raw.size()))
            return delta;
    }
    if (!writeWhole(path("b" + std::to_string(number) + ".base"), deflateBytes(raw, 6)))
        return std::nullopt;
    m_baseNumber = number;
    m_baseBytes = raw;
    return makeDelta(m_baseBytes, raw);
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
        const auto h = readHeader(item.path().string());
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
            if (auto h = readHeader(item.path().string()))
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

} // namespace cinevaro::catalogue
