// cinevaro-cli: dispatch of the commands. Arguments and output are UTF-8; exit status 0 on
// success, 1 on failure (message on stderr), 2 on a usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cinevaro::cli {

using Args = std::vector<std::string>;

// Runs one command line (without the program name).
int run(const Args& args, std::ostream& out, std::ostream& err);

} // namespace cinevaro::cli
