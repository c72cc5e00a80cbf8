// Gives a finished temporary file its final name without ever replacing a file of that name.
// link() does it in one step; vfat, exFAT and many network or FUSE mounts refuse hard links, and
// there the final name is created exclusively (O_EXCL) and the content copied into it.
#pragma once

#include <string>

namespace cinevaro::output {

// Makes `target` hold the content of `temp`. Returns 0, or the errno of the failure: EEXIST when
// `target` exists (it is left as it was). A failed copy removes the target it created. `temp`
// stays in every case; the caller removes it.
int linkExclusive(const std::string& temp, const std::string& target);

// Test seam: the call used in place of link(); nullptr restores the system's.
using LinkCall = int (*)(const char* from, const char* to);
void setLinkCallForTesting(LinkCall call);

} // namespace cinevaro::output
