// Fault injection through the file layer's test seam: every operation of the kinds given fails
// in turn while an action runs, and a snapshot of a folder tells whether the old files stayed.
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "table/Platform.h"

namespace cinevaro::testing {

inline const char* fileOpName(table::FileOp op)
{
    switch (op) {
    case table::FileOp::Open:
        return "open";
    case table::FileOp::Write:
        return "write";
    case table::FileOp::Flush:
        return "flush";
    case table::FileOp::Fsync:
        return "fsync";
    case table::FileOp::Rename:
        return "rename";
    case table::FileOp::Link:
        return "link";
    case table::FileOp::SyncFolder:
        return "folder sync";
    case table::FileOp::Close:
        return "close";
    case table::FileOp::Map:
        return "map";
    }
    return "?";
}

// Every file under `dir` (relative path -> bytes), links and temporaries included.
inline std::map<std::string, std::string> snapshotFiles(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string name = std::filesystem::relative(entry.path(), dir).generic_string();
        if (entry.is_symlink())
            files[name] = "-> " + std::filesystem::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            files[name] = readFile(entry.path().string());
        else
            files[name] = "<folder>";
    }
    return files;
}

// Runs `attempt` once per operation of each kind in `ops`, that operation failing (the n-th of its
// kind, n = 1, 2...), until a run reaches fewer than n operations of the kind; that last run has no
// fault. `failed(label)` checks each run with a fault; `finished(label)` checks the run without one
// and puts the old files back for the next kind. Returns how many runs had a fault.
inline int forEachFileFault(std::initializer_list<table::FileOp> ops, const std::function<void()>& attempt,
                            const std::function<void(const std::string& label)>& failed,
                            const std::function<void(const std::string& label)>& finished)
{
    int faults = 0;
    for (table::FileOp op : ops) {
        for (int nth = 1; nth < 1000; ++nth) {
            const std::string label = std::string(fileOpName(op)) + " #" + std::to_string(nth);
            table::setFileFaultForTesting(op, nth, op == table::FileOp::Write ? ENOSPC : EIO);
            attempt();
            const bool reached = table::fileOperationCountForTesting(op) >= nth;
            table::clearFileFaultsForTesting();
            if (!reached) {
                finished(label);
                break;
            }
            ++faults;
            failed(label);
        }
    }
    return faults;
}

} // namespace cinevaro::testing
