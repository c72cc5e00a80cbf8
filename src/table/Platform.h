// The few system facts the table engine depends on, settable so that tests and the
// application can choose them, and the test seam of the file layer (SafeFile.h).
#pragma once

#include <cstddef>

namespace cinevaro::table {

// Decimal separator used by ParseNumber and FormatNumber ('.' until set).
char systemDecimalSeparator();
void setSystemDecimalSeparator(char separator);

// Makes the allocator keep memory that was freed for the next allocations instead of handing
// large blocks back to the system at once: a fresh page costs far more than the work done in it
// when a catalogue is loaded, sorted and shown (the buffers of each step serve the next).
void keepFreedMemoryForReuse();
// Gives the heap `bytes` more memory, left free for the allocations that follow and made present
// by another thread while the caller goes on: those allocations then find their pages ready
// instead of faulting them in one by one, which costs far more (most on virtual machines). Does
// nothing where the system cannot do it.
void prefaultHeap(std::size_t bytes);

// The operations of the file layer through which every file is written.
enum class FileOp : int {
    Open,       // creating the temporary file
    Write,      // one write() of bytes
    Flush,      // pushing the writer's buffered bytes out at commit
    Fsync,      // syncing the temporary file
    Rename,     // renaming it over the target
    Link,       // linking it to a target that must not be replaced
    SyncFolder, // syncing the folder after the rename or link
    Close,      // the close of a written file whose result is checked (UniqueFd::close)
    Map,        // mapping a file to read it (MappedFile::open)
};
constexpr int kFileOpKinds = 9;

// Test seam: the `nth` operation of kind `op` from now on (1 = the next one) fails with `error`,
// as on a full disk or a failing device, and so do the `times` - 1 operations after it; 0 turns
// the fault off. Every call restarts the counting of that kind.
void setFileFaultForTesting(FileOp op, int nth, int error, int times = 1);
// Turns every fault off (the write limit and short writes included).
void clearFileFaultsForTesting();
// How many operations of kind `op` ran since the last fault set for that kind.
int fileOperationCountForTesting(FileOp op);

// Test seam: when `bytes` >= 0, writing fails once that many bytes have been written to one
// file, as on a full disk. -1 (the default) turns it off.
void setSaveWriteLimitForTesting(long long bytes);
long long saveWriteLimitForTesting();

// Test seam: when `bytes` > 0, each write() made by writeAll (UniqueFd.h) puts at most that many
// bytes, as a write interrupted by a signal or one to a pipe can; 0 (the default) turns it off.
void setShortWritesForTesting(std::size_t bytes);
std::size_t shortWritesForTesting();

// Used by the file layer before each operation: counts it, and returns true (errno set) when the
// test seam makes it fail.
bool fileFaultInjected(FileOp op);

} // namespace cinevaro::table
