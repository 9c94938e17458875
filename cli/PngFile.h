#pragma once

#include <cstdio>
#include <string>

#include "formats/DibFile.h"
#include "tiles/TileSheet.h"

// PNG pictures, which only the converter reads and writes.

// Reads a PNG picture of any size from the stream into the sheet, through
// the DIB import with the same options: an indexed PNG reduces from its
// indices and palette as an 8-bit DIB does; any other reduces each pixel by
// the median of its colours whatever the options say. The picture stands
// upright in the sheet. Returns the import's message, or kPngReadError for
// a stream that holds no PNG picture; "" on success. On failure the sheet is
// left as it was.
std::string ReadPngFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options);

// Writes the sheet as a 128 x 128 indexed PNG with the red ramp palette, the
// pixel levels as indices, the sheet's top row first; the picture data is
// stored, not compressed (16.6 KB), which needs no library at all. Returns
// kDibWritePixelsError when the stream refuses the bytes, else "".
std::string WritePngFile(FILE* f, const CTileSheet& sheet);

inline constexpr const char* kPngReadError = "Invalid PNG File!";
// When the PNG decoder module (kelvane-png.so) cannot be loaded.
inline constexpr const char* kPngDecoderMissing = "PNG files cannot be read here: kelvane-png.so is missing.";
