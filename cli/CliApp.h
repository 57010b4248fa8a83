#pragma once

#include <istream>
#include <ostream>

namespace tidecast::cli
{

// Runs tidecast-cli with its arguments on the given streams and returns the exit status.
// `interactive` tells whether `in` and `err` are terminals.
int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err,
           bool interactive = false);

} // namespace tidecast::cli
