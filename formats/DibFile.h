#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tiles/TileSheet.h"

// Device-independent bitmap (BMP/DIB) files: reading an uncompressed 8-bit
// picture into the tile sheet and writing the sheet as a 128 x 128 picture
// with the red ramp palette. Both work on an open stream, neither closes it,
// and both return the message the operation ends with (empty: none).

struct DibImportOptions {
    bool median = false;       // "Median" colour reduction; false = "3 Bit Reduction"
    bool adjustTiles = false;  // "Adjust Tiles" restoring; false = "Read as CharMap"
};

// Reads a DIB file from the stream's position into the sheet's pixel array.
// On any failure the sheet is left exactly as it was.
std::string ReadDibFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options);

// Writes the sheet as a 17,462-byte DIB file at the stream's position. The
// sheet is only read.
std::string WriteDibFile(FILE* f, const CTileSheet& sheet);

// The message when the pixel data cannot be written (or read).
inline constexpr const char* kDibWritePixelsError = "Fatal Error 0122";
inline constexpr std::uint32_t kDibFileSize = 17462;
