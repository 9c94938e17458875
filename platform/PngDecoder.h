#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "formats/DibFile.h"
#include "formats/PngRead.h"

// The PNG decoder (see PngDecodeFn), on QtGui: built into the editor, and a
// module of its own that kelvane-convert loads only when it reads a PNG
// picture, since QtGui's loading would otherwise slow down every start of
// the converter.
extern "C" int KelvaneDecodePng(const unsigned char* png, std::size_t size,
                                const DibImportOptions* options, std::uint32_t maxSide,
                                unsigned char** dib, std::size_t* dibSize,
                                std::uint32_t* width, std::uint32_t* height);

static_assert(std::is_same_v<decltype(&KelvaneDecodePng), PngDecodeFn>);
