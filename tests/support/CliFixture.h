// Runs the command-line tool in process, as the suites of its commands do: a temporary folder,
// and what one run wrote on its output and error streams.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/Cli.h"
#include "support/TempDir.h"

namespace cinevaro::testing {

class CliTest : public ::testing::Test
{
protected:
    // The exit status of one run; out and err then hold only what that run wrote.
    int run(const std::vector<std::string>& args)
    {
        out.str("");
        err.str("");
        return cli::run(args, out, err);
    }

    TempDir dir;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace cinevaro::testing
