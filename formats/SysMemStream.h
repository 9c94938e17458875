#pragma once

// Streams over bytes in memory, for readers that take a FILE*: fmemopen on
// POSIX; Windows has none, there the bytes go into a temporary file that
// the system deletes when the stream is closed.

#include <cstddef>
#include <cstdio>

// A read-only stream ("rb") over `size` bytes at `data`, positioned at 0;
// null when none can be made. The bytes must stay while the stream is open
// (POSIX reads them in place).
FILE* OpenMemoryStream(const void* data, std::size_t size);
