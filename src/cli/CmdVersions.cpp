// versions, restore, undo, redo: the kept versions of a catalogue.
#include <ctime>
#include <filesystem>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "catalogue/Versions.h"
#include "cli/Commands.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

// A version whose header names no time (a damaged file) shows an empty date, not 1970.
std::string localTime(std::int64_t time)
{
    if (time == 0)
        return {};
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%d/%m/%Y %H:%M:%S", &tm);
    return text;
}

// The version store of an existing catalogue file; nothing after printing why.
std::unique_ptr<catalogue::VersionStore> storeFor(const std::string& file, std::ostream& err)
{
    if (!requireExistingFile(file, err))
        return nullptr;
    const auto names = catalogue::deriveNames(file);
    return std::make_unique<catalogue::VersionStore>(file, names.collectionFolder);
}

int bringBack(const Args& args, bool redo, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || isOption(args[0]))
        return usageOf(redo ? "redo" : "undo", err);
    auto store = storeFor(args[0], err);
    if (!store)
        return 1;
    const auto entry = redo ? store->nextRedo() : store->nextUndo();
    if (auto done = redo ? store->redo() : store->undo(); !done)
        return fail(done, err);
    out << (redo ? "Rétabli : " : "Annulé : ") << table::cp1252ToUtf8(entry->Operation) << "\n";
    return 0;
}

} // namespace

int cmdVersions(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || isOption(args[0]))
        return usageOf("versions", err);
    auto store = storeFor(args[0], err);
    if (!store)
        return 1;
    for (const auto& v : store->list()) {
        out << v.Number << "\t" << localTime(v.Time) << "\t" << table::cp1252ToUtf8(v.Operation) << "\t";
        if (v.FilmCount >= 0)
            out << v.FilmCount << " films";
        out << (v.Redo ? "\t(rétablir)" : "") << "\n";
    }
    return 0;
}

int cmdRestore(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]))
        return usageOf("restore", err);
    const auto number = parseRow(args[1]);
    if (!number)
        return usageOf("restore", err);
    auto store = storeFor(args[0], err);
    if (!store)
        return 1;
    if (auto done = store->restore(*number); !done)
        return fail(done, err);
    out << "Version " << *number << " restaurée\n";
    return 0;
}

int cmdUndo(const Args& args, std::ostream& out, std::ostream& err)
{
    return bringBack(args, false, out, err);
}

int cmdRedo(const Args& args, std::ostream& out, std::ostream& err)
{
    return bringBack(args, true, out, err);
}

} // namespace cinevaro::cli
