#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "support/TestFiles.h"

// Failures that only the system can cause, on cue: a read stream over bytes
// in memory whose reads stop with an error at a given offset and whose seeks
// (ftell counts as one) fail by their number.
struct StreamFaults
{
    std::size_t readFailsAt = std::size_t(-1);  // reads give the bytes before it, then fail
    std::vector<int> failingSeeks{};            // 0 = the first seek or tell
};

// The stream (mode "rb", closed with fclose), or null where the C library
// cannot make such a stream; tests then skip.
FILE* FaultyStream(const Bytes& bytes, const StreamFaults& faults);

// A stream that writes through to `file` and whose fclose closes `file` but
// reports a failure, as a close that finds the disk full does; null (with
// `file` closed) where the C library cannot make one.
FILE* WithFailingClose(FILE* file);
