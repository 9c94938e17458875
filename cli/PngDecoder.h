#pragma once

#include <cstddef>

// The PNG decoder, a module of its own that kelvane-convert loads only when
// it reads a PNG picture: the decoder needs QtGui, whose loading would
// otherwise slow down every start of the converter.

// Decodes a PNG picture into an uncompressed 8-bit bottom-up DIB file, for
// the DIB import to read: an indexed picture keeps its indices and palette;
// any other gets per pixel the index (r + g + b) / 192 into a palette of
// four greys whose colour sums are 0, 192, 384 and 576, so that both colour
// reductions give that index back. Returns a malloc'ed buffer of *dibSize
// bytes, for the caller to free, or null when the bytes hold no PNG picture.
extern "C" unsigned char* KelvaneDecodePng(const unsigned char* png, std::size_t size,
                                           std::size_t* dibSize);

using KelvaneDecodePngFn = decltype(&KelvaneDecodePng);
inline constexpr const char* kDecodePngSymbol = "KelvaneDecodePng";
