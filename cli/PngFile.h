#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "formats/DibFile.h"
#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

// PNG pictures, which only the converter reads and writes.

// Pictures larger than this on either side are refused.
inline constexpr std::uint32_t kMaxPictureSide = 16384;
// PNG files larger than this are refused before they are read.
inline constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t(256) << 20;

// A PNG picture from the stream as the DIB import reads it (see
// KelvaneDecodePng), with the options' reduction for pictures without a
// palette; `dibOptions` for the import of the decoded picture. Reads the
// signature first and no more than kMaxPngFileBytes. The import's message,
// or one of the messages below; "" on success. ReadPngFile leaves the sheet
// as it was on failure; the picture stands upright in it.
std::string ReadPngFile(FILE* f, CTileSheet& sheet, const DibImportOptions& pngOptions,
                        const DibImportOptions& dibOptions);
std::string ReadPngPicture(FILE* f, const DibImportOptions& pngOptions,
                           const DibImportOptions& dibOptions, PackedPicture& picture);

// Writes an indexed 8-bit PNG of width x height pixels with the red ramp
// palette, pixel levels as indices; rowOf(y, levels) gives row y, top row
// first. The picture data is compressed with zlib as it is made, the same
// bytes on every system. Returns `error` when the stream refuses the bytes,
// else "".
std::string WritePngPicture(FILE* f, std::uint32_t width, std::uint32_t height,
                            const std::function<void(std::uint32_t, std::uint8_t*)>& rowOf,
                            const char* error);

// Writes the sheet as a 128 x 128 picture that way. Returns
// kDibWritePixelsError when the stream refuses the bytes, else "".
std::string WritePngFile(FILE* f, const CTileSheet& sheet);

inline constexpr const char* kPngReadError = "Invalid PNG File!";
// When the PNG decoder module (kelvane-png.so) cannot be loaded.
inline constexpr const char* kPngDecoderMissing = "PNG files cannot be read here: kelvane-png.so is missing.";
