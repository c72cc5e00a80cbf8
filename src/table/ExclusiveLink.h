// Gives a finished temporary file its final name without ever replacing a file of that name.
// link() does it in one step; vfat, exFAT and many network or FUSE mounts refuse hard links, and
// there the final name is created exclusively (O_EXCL) and the content copied into it.
#pragma once

#include <string>

namespace cinevaro::table {

// Makes `target` hold the content of `temp`. Returns 0, or the errno of the failure: EEXIST when
// `target` exists (it is left as it was). A failed copy removes the target it created. `temp`
// stays in every case; the caller removes it. The link goes through the file layer's test seam
// (FileOp::Link in Platform.h), so a refusal can be injected.
int linkExclusive(const std::string& temp, const std::string& target);

// True for the errors of a file system that refuses hard links (EPERM, ENOTSUP/EOPNOTSUPP,
// EMLINK, EXDEV): the exclusive create is then used instead.
bool linkRefusedByFileSystem(int error);

} // namespace cinevaro::table
