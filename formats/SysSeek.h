#pragma once

// Positions in streams as 64-bit numbers on every system (fseeko and ftello
// with a 64-bit off_t on POSIX, _fseeki64 and _ftelli64 on Windows), so that
// files above 2 GiB are sized and read right everywhere.

#include <cstdint>
#include <cstdio>

// Moves the stream to `offset` from `whence` (SEEK_SET, SEEK_CUR,
// SEEK_END); false when it cannot.
bool SeekFile(FILE* f, std::int64_t offset, int whence);

// The stream's position, or -1 when it has none (a pipe).
std::int64_t TellFile(FILE* f);
