#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "formats/DibFile.h"
#include "formats/PngRead.h"
#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

// PNG pictures in the converter: read through the decoder module, written
// with zlib.

// ReadPngFileWith and ReadPngPictureWith with the decoder module, or
// kPngDecoderMissing when it cannot be loaded.
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

// When the PNG decoder module (kelvane-png.so) cannot be loaded.
inline constexpr const char* kPngDecoderMissing = "PNG files cannot be read here: kelvane-png.so is missing.";
