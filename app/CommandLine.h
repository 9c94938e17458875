#pragma once

#include <cstdio>
#include <string>

namespace kelvane {

// The editor's command line: `kelvane [FILE]`, `kelvane --help`,
// `kelvane --version`. Read before any window system is reached, so that
// the help and the version work without a display.
struct CommandLine
{
    bool run = true;     // false: the process ends at once with exitCode
    int exitCode = 0;
    std::string file;    // the file to open at start; empty: a blank sheet
};

// Reads argv[1..]; prints the help or the version to `out`, and for more
// than one file or an option it does not know a usage line to `err` (exit
// code 2). "--" ends the options.
CommandLine ParseCommandLine(int argc, const char* const* argv, FILE* out, FILE* err);

} // namespace kelvane
