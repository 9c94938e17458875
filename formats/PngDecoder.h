#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "formats/DibFile.h"
#include "formats/PngRead.h"

// The PNG decoder (see PngDecodeFn in formats/PngRead.h), on zlib: it
// decodes row by row into at most 8 bits a pixel, so a picture takes about a
// byte a pixel whatever its depth. The editor has it built in; kelvane-convert
// loads it as a module of its own, only when it reads a PNG picture.
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

static_assert(std::is_same_v<decltype(&KelvaneDecodePng), PngDecodeFn>);
