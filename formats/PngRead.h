#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/DibFile.h"
#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

// Reading PNG pictures. The picture is decoded by a decoder given as a
// function (formats/PngDecoder.h: the editor has it built in, the converter
// loads it as a module of its own) into an 8-bit DIB that the DIB import
// reads.

enum KelvanePngResult : int
{
    kPngDecoded = 0,
    kPngInvalid = 1,   // no PNG picture, or one that cannot be decoded
    kPngTooLarge = 2,  // wider or higher than maxSide; *width and *height tell
};

// The decoder (KelvaneDecodePng): decodes a PNG picture into an
// uncompressed 8-bit bottom-up DIB file: a palette picture keeps its indices
// and palette; any other gets per pixel the colour index that the options'
// reduction gives its colour (ReduceColour) into a palette of the four
// shades in grey, which every reduction maps back to that index. On
// kPngDecoded *dib is a malloc'ed buffer of *dibSize bytes for the caller to
// free.
using PngDecodeFn = int (*)(const unsigned char* png, std::size_t size,
                            const DibImportOptions* options, std::uint32_t maxSide,
                            unsigned char** dib, std::size_t* dibSize, std::uint32_t* width,
                            std::uint32_t* height);
inline constexpr const char* kDecodePngSymbol = "KelvaneDecodePng";

// Pictures larger than this on either side are refused.
inline constexpr std::uint32_t kMaxPictureSide = 16384;
// PNG files larger than this are refused before they are read.
inline constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t(256) << 20;

// A PNG picture from the stream as the DIB import reads it, decoded by
// `decode` with the options' reduction for pictures without a palette;
// `dibOptions` for the import of the decoded picture. Reads the signature
// first and no more than kMaxPngFileBytes. The import's message, or one of
// the messages below; "" on success. ReadPngFileWith leaves the sheet as it
// was on failure; the picture stands upright in it.
std::string ReadPngFileWith(PngDecodeFn decode, FILE* f, CTileSheet& sheet,
                            const DibImportOptions& pngOptions, const DibImportOptions& dibOptions);
std::string ReadPngPictureWith(PngDecodeFn decode, FILE* f, const DibImportOptions& pngOptions,
                               const DibImportOptions& dibOptions, PackedPicture& picture);

inline constexpr const char* kPngReadError = "Invalid PNG File!";
