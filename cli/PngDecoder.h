#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/DibFile.h"

// The PNG decoder, a module of its own that kelvane-convert loads only when
// it reads a PNG picture. It decodes with zlib, row by row, into at most 8
// bits a pixel: a picture takes about a byte a pixel whatever its depth.

enum KelvanePngResult : int
{
    kPngDecoded = 0,
    kPngInvalid = 1,   // no PNG picture, or one that cannot be decoded
    kPngTooLarge = 2,  // wider or higher than maxSide; *width and *height tell
};

// Decodes a PNG picture into an uncompressed 8-bit bottom-up DIB file, for
// the DIB import to read: a palette picture keeps its indices and palette;
// any other gets per pixel the colour index that the options' reduction
// gives its colour (ReduceColour) into a palette of the four shades in grey,
// which every reduction maps back to that index. On kPngDecoded *dib is a
// malloc'ed buffer of *dibSize bytes for the caller to free.
// The module's one entry point, which the converter finds by name: exported
// from the DLL on Windows (MSVC exports nothing unmarked), visible beside the
// hidden rest elsewhere. The one place where each compiler's own spelling
// is written out.
#ifdef _WIN32
#define KELVANE_PNG_EXPORT __declspec(dllexport)
#else
#define KELVANE_PNG_EXPORT __attribute__((visibility("default")))
#endif

extern "C" KELVANE_PNG_EXPORT int KelvaneDecodePng(const unsigned char* png, std::size_t size,
                                                   const DibImportOptions* options,
                                                   std::uint32_t maxSide, unsigned char** dib,
                                                   std::size_t* dibSize, std::uint32_t* width,
                                                   std::uint32_t* height);

using KelvaneDecodePngFn = decltype(&KelvaneDecodePng);
inline constexpr const char* kDecodePngSymbol = "KelvaneDecodePng";
