#include "table/Platform.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

namespace cinevaro::table {

namespace {
std::atomic<char> g_decimalSeparator{'.'};
std::atomic<long long> g_saveWriteLimit{-1};
std::atomic<std::size_t> g_shortWrites{0};

struct FaultSlot
{
    std::atomic<int> count{0};
    std::atomic<int> failAt{0};
    std::atomic<int> times{1};
    std::atomic<int> error{0};
};
FaultSlot g_faults[kFileOpKinds];
std::atomic<bool> g_anyFault{false};

FaultSlot& slot(FileOp op)
{
    return g_faults[static_cast<int>(op)];
}
} // namespace

void keepFreedMemoryForReuse()
{
    // Blocks up to 32 MiB come from the heap rather than from mappings of their own (which are
    // returned, and fresh again, at every free), and the heap gives memory back only past 64 MiB
    // of free space at its top.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

void prefaultHeap(std::size_t bytes)
{
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // Linux 5.14; older kernels refuse it (EINVAL)
#endif
    // The block is freed at once and only its address range is kept: the heap keeps the memory
    // (keepFreedMemoryForReuse) and the caller's next allocations take it, while another thread
    // makes its pages present. Making a page present that the caller already wrote changes
    // nothing in it, so the two may overlap.
    void* block = std::malloc(bytes);
    if (!block)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    std::free(block);
    const std::uintptr_t begin = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + bytes) / page * page;
    if (end <= begin)
        return;
    const auto populate = [begin, end] { ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE); };
    try {
        std::thread(populate).detach();
    } catch (const std::system_error&) {
        populate();
    }
}

char systemDecimalSeparator()
{
    return g_decimalSeparator.load();
}

void setSystemDecimalSeparator(char separator)
{
    g_decimalSeparator.store(separator);
}

void setFileFaultForTesting(FileOp op, int nth, int error, int times)
{
    FaultSlot& s = slot(op);
    s.count.store(0);
    s.error.store(error);
    s.times.store(times);
    s.failAt.store(nth);
    g_anyFault.store(true);
}

void clearFileFaultsForTesting()
{
    for (FaultSlot& s : g_faults) // each count starts again at the next fault set
        s.failAt.store(0);
    g_saveWriteLimit.store(-1);
    g_shortWrites.store(0);
}

int fileOperationCountForTesting(FileOp op)
{
    return slot(op).count.load();
}

bool fileFaultInjected(FileOp op)
{
    FaultSlot& s = slot(op);
    const int n = s.count.fetch_add(1) + 1;
    if (!g_anyFault.load(std::memory_order_relaxed))
        return false;
    const int first = s.failAt.load();
    if (first == 0 || n < first || n >= first + s.times.load())
        return false;
    errno = s.error.load();
    return true;
}

void setSaveWriteLimitForTesting(long long bytes)
{
    g_saveWriteLimit.store(bytes);
}

long long saveWriteLimitForTesting()
{
    return g_saveWriteLimit.load();
}

void setShortWritesForTesting(std::size_t bytes)
{
    g_shortWrites.store(bytes);
}

std::size_t shortWritesForTesting()
{
    return g_shortWrites.load();
}

} // namespace cinevaro::table
