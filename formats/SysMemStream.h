#pragma once

// Streams that are no named file, for readers and writers that take a
// FILE*. Windows has no fmemopen, and its tmpfile makes its files in the
// drive's root under names that two processes share: there both are
// temporary files in the user's temporary folder, which the system deletes
// when the stream is closed.

#include <cstddef>
#include <cstdio>

// A new, empty read/write stream ("w+b") on an anonymous temporary file;
// null when none can be made.
FILE* OpenScratchFile();

// A read-only stream ("rb") over `size` bytes at `data`, positioned at 0;
// null when none can be made. The bytes must stay while the stream is open
// (POSIX reads them in place).
FILE* OpenMemoryStream(const void* data, std::size_t size);
