// Kept versions of a catalogue: every save that replaces the file keeps the replaced file in
// <name>.versions/ beside the catalogue, with the time and the operation that replaced it, and the
// covers that operation removed or overwrote. Undo, redo and restore bring a version back.
//
// A version is first a hard link to the replaced file (v<N>.raw, with its header v<N>.hdr), so a
// save costs no copy. A background worker then packs it as a delta against a compressed base
// (v<N>.ver, b<K>.base), drops versions equal to the file that replaced them, and applies the
// retention rule: the last 50 versions, and one a day for the last 60 days.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/Outcome.h"

namespace cinevaro::catalogue {

struct VersionEntry
{
    int Number = 0;        // stable sequence number
    std::int64_t Time = 0; // seconds since the epoch, when it was replaced; 0 when unknown
    std::string Operation; // Windows-1252
    int FilmCount = -1;    // -1 until packed
    bool Redo = false;     // kept by an undo, brought back by redo
};

// The next version an undo and a redo would bring back; none when there is nothing to undo
// (redo).
struct UndoRedo
{
    std::optional<VersionEntry> undo;
    std::optional<VersionEntry> redo;
};

class VersionStore
{
public:
    VersionStore(std::string catalogueFile, std::string collectionFolder);
    ~VersionStore();
    VersionStore(const VersionStore&) = delete;
    VersionStore& operator=(const VersionStore&) = delete;

    const std::string& catalogueFile() const { return m_catalogueFile; }
    // <dir>/<name>.versions/ with a trailing separator.
    const std::string& folder() const { return m_folder; }

    // Around a save of the catalogue file. prepare keeps the current file aside under the
    // operation's name (inside a group, only the first prepare does); commit makes it a version
    // and forgets the redo entries; abort puts everything back. A version that cannot be kept is
    // reported by commit's outcome and never stops the save.
    void prepare(const std::string& operation);
    Outcome commit();
    void abort();
    // A cover the current operation removes or overwrites: moved into its version instead of
    // being lost (removed when it cannot be kept). Without a pending operation it goes with the
    // last version this store made.
    void keepCover(const std::string& coverPath);
    // Before a cover is written: a copy of the one it replaces is kept, or the new one is noted.
    void keepCoverBeforeWrite(const std::string& coverPath);

    // Several saves that are one operation for undo (a web import of many films).
    void beginGroup(const std::string& operation);
    Outcome endGroup();

    // Newest first; waits for the worker.
    std::vector<VersionEntry> list();
    // The same without waiting: versions being packed may still be listed.
    std::vector<VersionEntry> peek() const { return scan(); }
    // The versions a restore may bring back, newest first: those an undo kept for redo are left out.
    std::vector<VersionEntry> restorable();
    std::optional<VersionEntry> nextUndo();
    std::optional<VersionEntry> nextRedo();
    // The versions undo and redo would bring back, for naming the commands. With `wait`, after
    // the worker is done (as nextUndo and nextRedo); without, from the versions listed so far.
    UndoRedo nextUndoRedo(bool wait);
    // Restore the catalogue file and covers; the caller reopens the catalogue.
    Outcome undo();
    Outcome redo();
    // The current file becomes a version first, so a restore can itself be undone.
    Outcome restore(int number);
    // Waits until every pending version is packed.
    void flush();

    static void setClockForTesting(std::function<std::int64_t()> clock);
    // Tests of other subjects (file faults, hostile services) count every file written: with
    // versions off, saves keep none and covers are removed as they were before versions.
    static void setEnabledForTesting(bool enabled);
    static bool enabled();
    static std::int64_t now();

private:
    struct Pending
    {
        int number = 0;
        bool hadFile = false;
        bool linked = false;
        std::vector<std::string> keptCovers;  // names moved into v<N>.covers/
        std::vector<std::string> addedCovers; // names created
        std::string operation;
        bool redo = false;
        bool keepRedo = false;
    };

    enum class CoverChange { Removed, Overwritten, Added };
    void recordCover(const std::string& coverPath, CoverChange change);
    std::string path(const std::string& name) const { return m_folder + name; }
    std::string coversFolder(int number) const;
    bool ensureFolder();
    int nextNumber();
    Outcome writeHeader(const Pending& p, std::int64_t time);
    void enqueue(int number);
    void work();
    void packOne(int number);
    // The file the version after `number` holds: the next version's copy, or the catalogue when
    // none follows; nothing when it cannot be read.
    std::optional<std::string> successorBytes(int number) const;
    // Keeps the base packed against: the one in memory, or the newest on disk.
    void loadNewestBase();
    // `raw` as a delta against the base; a new base (written first) when the base is missing or
    // too far from `raw`. Nothing when the new base cannot be written.
    std::optional<std::string> deltaAgainstBase(int number, const std::string& raw);
    void prune();
    std::vector<VersionEntry> scan() const;
    std::optional<std::string> reconstruct(int number) const;
    Outcome bringBack(const VersionEntry& entry, bool toRedo);
    void dropRedoBefore(int number);
    void dropUnchangedBefore(int number, const std::string& bytes);
    void removeVersionFiles(int number);

    std::string m_catalogueFile;
    std::string m_collectionFolder;
    std::string m_folder;
    std::optional<Pending> m_pending;
    std::set<std::string> collectionNames() const;
    void prepareInGroup();

    int m_groupDepth = 0;
    bool m_groupOpen = false;
    bool m_groupSaved = false;
    std::string m_groupOperation;
    std::set<std::string> m_groupStart;
    int m_lastNumber = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::vector<int> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
    // The base the worker packs against, kept in memory between versions.
    int m_baseNumber = 0;
    std::string m_baseBytes;
};

} // namespace cinevaro::catalogue
