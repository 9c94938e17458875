#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

// Arrays of 16-bit halfwords, the form in which a game takes chars and
// BGMaps: as raw little-endian bytes, as a C array and as assembler lines.
// Each writer returns kHalfwordWriteError when the stream refuses the
// bytes, else "". A text writer asks ferror too: MinGW's fprintf counts the
// characters it formatted even when the stream refused them.

using Halfwords = std::vector<std::uint16_t>;

// Chars in the console's form, eight char rows each, rows top first.
Halfwords CharHalfwords(const std::vector<ConsoleChar>& chars);
// Tiles 0 .. CharsToHandle(nChars) - 1 of the sheet, likewise.
Halfwords SheetCharHalfwords(const CTileSheet& sheet, int nChars);

// The halfwords low byte first.
std::string WriteHalfwordsBin(FILE* f, const Halfwords& values);

// A C source (C99 and C++) that defines one array
//     const unsigned short name[N] = { ... };
// holding the values, after a comment line that says what they are.
std::string WriteHalfwordsC(FILE* f, const std::string& name, const std::string& comment,
                            const Halfwords& values);

// An identifier for a C array made of `text`: every character outside
// A-Z, a-z, 0-9 and _ becomes _, and a leading digit gets a _ before it.
std::string CArrayName(const std::string& text);

// The line "dh. 0x....,0x.... ; <label><number>\n" of `count` values, in
// four lowercase hexadecimal digits each. False when the stream reports
// an error.
bool WriteAsmHalfwordLine(FILE* f, const std::uint16_t* values, std::size_t count,
                          const char* label, unsigned long number);

// A map's cells as assembler lines, after a comment line: each map row in
// lines of at most 8 cells, each line labelled with its row.
std::string WriteMapAsm(FILE* f, const Halfwords& cells, std::size_t cellsPerRow);
// Chars as the char map listing, one dh. line per char, with the header
// comment that says the rows run top first.
std::string WriteCharsAsm(FILE* f, const Halfwords& charRows);

inline constexpr const char* kHalfwordWriteError = "cannot be written";
