#pragma once

#include <cstdio>
#include <string>

#include "tiles/TileSheet.h"

// The program's own tileset file: a 2-byte little-endian count, then that many
// chars of 16 bytes in sheet row order, char n being tile number n.
//
// Both functions work on a stream the caller opened and will close, and return
// the message the operation ends with ("" when there is none).

// Reads the count and the chars into tiles 0, 1, ... of the sheet; a count
// above 256 loads the first 256 chars. Chars read before a failure stay.
//   "Fatal Error 0001": fewer than 2 bytes for the count.
//   "Fatal Error 0002": fewer than 16 bytes left for a char.
std::string ReadNativeFile(FILE* f, CTileSheet& sheet);

// Writes CharsToHandle(nChars) chars from tile 0 on, preceded by that number.
//   "Fatal Error 0101": the count could not be written.
//   "Fatal Error 0102": a char could not be written.
// Only failures the stream reports at the write are seen; a buffered write
// that fails later shows when the stream is flushed.
std::string WriteNativeFile(FILE* f, const CTileSheet& sheet, int nChars);

inline constexpr const char* kNativeReadCountError = "Fatal Error 0001";
inline constexpr const char* kNativeReadCharError = "Fatal Error 0002";
inline constexpr const char* kNativeWriteCountError = "Fatal Error 0101";
inline constexpr const char* kNativeWriteCharError = "Fatal Error 0102"; // the writer's last message
