#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "tiles/TileMap.h"
#include "tiles/TileSheet.h"

// Device-independent bitmap (BMP/DIB) files: reading an uncompressed 8-bit
// picture into the tile sheet and writing the sheet as a 128 x 128 picture
// with the red ramp palette. Both work on an open stream, neither closes it,
// and both return the message the operation ends with (empty: none).

struct DibImportOptions {
    bool median = false;       // "Median" colour reduction; false = "3 Bit Reduction"
    bool adjustTiles = false;  // "Adjust Tiles" restoring; false = "Read as CharMap"
    bool nearest = false;      // the nearest shade by brightness (overrides median)
};

// The colour index (0 to 3) of a colour by the options' reduction:
//   nearest  by the brightest component: (max(r, g, b) + 42) / 85, so the
//            four shades in red or in grey come back exactly;
//   median   by the sum of the components: (r + g + b) / 192;
//   3bit     the brightest component's two low bits (for a palette picture
//            the DIB import takes the two low bits of the stored index).
constexpr int ReduceColour(const DibImportOptions& options, int r, int g, int b)
{
    const int brightest = r > g ? (r > b ? r : b) : (g > b ? g : b);
    if (options.nearest)
        return (brightest + 42) / 85;
    if (options.median)
        return (r + g + b) / 192;
    return brightest & 3;
}

// Reads a DIB file from the stream's position into the sheet's pixel array.
// On any failure the sheet is left exactly as it was.
std::string ReadDibFile(FILE* f, CTileSheet& sheet, const DibImportOptions& options);

// Reads a whole DIB picture, of any size up to maxSide x maxSide pixels and
// with sides that are multiples of 8, as char rows, top row first, with the
// options' colour reduction. The import's checks and messages, then one
// naming the picture's size when it is too large or not cut into 8 x 8
// cells.
std::string ReadDibPicture(FILE* f, const DibImportOptions& options, std::uint32_t maxSide,
                           PackedPicture& picture);

// The message for a picture of width x height pixels that is larger than
// maxSide on a side.
std::string PictureTooLarge(std::uint32_t width, std::uint32_t height, std::uint32_t maxSide);

// Writes an 8-bit DIB of width x height pixels with the red ramp palette,
// pixel levels as indices; rowOf(y, levels) gives row y, top row first.
// The messages of WriteDibFile.
std::string WriteDibPicture(FILE* f, std::uint32_t width, std::uint32_t height,
                            const std::function<void(std::uint32_t, std::uint8_t*)>& rowOf);

// Writes the sheet as a 17,462-byte DIB file at the stream's position. The
// sheet is only read.
std::string WriteDibFile(FILE* f, const CTileSheet& sheet);

// The message when the pixel data cannot be written (or read).
inline constexpr const char* kDibWritePixelsError = "Fatal Error 0122";
inline constexpr std::uint32_t kDibFileSize = 17462;
