#pragma once

#include <cstdio>
#include <string>

#include "tiles/TileSheet.h"

// Writes tiles 0 .. CharsToHandle(nChars) - 1 as an assembler char map: the
// line ";Char Map", then per char one line
//     dh. 0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x0000,0x5555 ; Char5
// holding its eight char rows in sheet row order (bottom row first), lines
// ended by a single line feed. Returns the message the export ends with:
//   "Fatal Error 0111": the header line could not be written (no char line follows).
//   "Fatal Error 0112": a char line could not be written.
//   "" otherwise.
// Failures count when the stream's formatted write reports them at the call.
std::string WriteAsmCharMap(FILE* f, const CTileSheet& sheet, int nChars);

inline constexpr const char* kAsmWriteHeaderError = "Fatal Error 0111";
inline constexpr const char* kAsmWriteLineError = "Fatal Error 0112";
