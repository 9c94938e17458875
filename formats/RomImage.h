#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tiles/TileSheet.h"

// Size of the stream's file in bytes: seeks to the end, takes the position and
// seeks back to the beginning. Sizes above 4,294,967,295 give 4,294,967,295;
// a stream that cannot seek gives 0.
std::uint32_t RomFileSize(FILE* f);

// Reads CharsToHandle(nChars) chars of 16 bytes in console row order from byte
// `start` of the file on into tiles 0, 1, 2, ... of the sheet, one read per
// char. Returns "Fatal Error 0012" when fewer than 16 bytes are left for a char
// (or the start cannot be reached); the chars before it stay, the rest of the
// sheet is not touched. Otherwise returns "".
std::string ReadRomChars(FILE* f, CTileSheet& sheet, std::uint32_t start, int nChars);

// Whether the stream can seek: a file can, a pipe cannot.
bool StreamCanSeek(FILE* f);

// The same from a stream that cannot seek (a pipe, a terminal): the first
// `start` bytes are read and dropped, then the chars read. Reads no more
// than start + 16 x CharsToHandle(nChars) bytes. When the stream ends
// before `start`, `held` is set to the bytes it held and "Fatal Error 0012"
// returned with no char placed; otherwise `held` is left alone.
std::string ReadRomCharsInOrder(FILE* f, CTileSheet& sheet, std::uint32_t start, int nChars,
                                std::uint32_t& held);

inline constexpr const char* kRomReadError = "Fatal Error 0012";
