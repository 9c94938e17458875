#include "formats/PngRead.h"

#include "formats/CharStream.h"
#include "formats/SysMemStream.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The file's bytes after its signature has been checked: no more than
// kMaxPngFileBytes, and for a file whose size tells it is larger, none.
std::string ReadPngBytes(FILE* f, Bytes& data)
{
    data.assign(sizeof kSignature, 0);
    if (std::fread(data.data(), 1, data.size(), f) != data.size() ||
        !std::equal(data.begin(), data.end(), kSignature))
        return kPngReadError;
    const std::string tooLarge = "PNG files larger than " + std::to_string(kMaxPngFileBytes) +
                                 " bytes (" + std::to_string(kMaxPngFileBytes >> 20) +
                                 " MiB) are not read.";
    const long at = std::ftell(f);
    if (at >= 0 && std::fseek(f, 0, SEEK_END) == 0) {
        const long end = std::ftell(f);
        if (std::fseek(f, at, SEEK_SET) != 0)
            return kPngReadError;
        if (end > at && std::uint64_t(end - at) > kMaxPngFileBytes - data.size())
            return tooLarge;
    }
    if (!ReadRest(f, kMaxPngFileBytes, data))
        return tooLarge;
    return std::ferror(f) ? kPngReadError : "";
}

// Decodes the PNG on the stream and hands the DIB it becomes to `read`.
std::string WithDecodedDib(PngDecodeFn decode, FILE* f, const DibImportOptions& options,
                           const std::function<std::string(FILE*)>& read)
{
    Bytes png;
    if (std::string message = ReadPngBytes(f, png); !message.empty())
        return message;
    unsigned char* dib = nullptr;
    std::size_t dibSize = 0;
    std::uint32_t width = 0, height = 0;
    const int result = decode(png.data(), png.size(), &options, kMaxPictureSide, &dib, &dibSize,
                              &width, &height);
    png = Bytes();
    if (result == kPngTooLarge)
        return PictureTooLarge(width, height, kMaxPictureSide);
    const std::unique_ptr<unsigned char, decltype(&std::free)> owner(dib, &std::free);
    if (result != kPngDecoded)
        return kPngReadError;
    FILE* stream = OpenMemoryStream(dib, dibSize);
    if (!stream)
        return kPngReadError;
    std::string message = read(stream);
    std::fclose(stream);
    return message;
}

}  // namespace

std::string ReadPngFileWith(PngDecodeFn decode, FILE* f, CTileSheet& sheet,
                            const DibImportOptions& pngOptions, const DibImportOptions& dibOptions)
{
    return WithDecodedDib(decode, f, pngOptions,
                          [&](FILE* dib) { return ReadDibFile(dib, sheet, dibOptions); });
}

std::string ReadPngPictureWith(PngDecodeFn decode, FILE* f, const DibImportOptions& pngOptions,
                               const DibImportOptions& dibOptions, PackedPicture& picture)
{
    return WithDecodedDib(decode, f, pngOptions, [&](FILE* dib) {
        return ReadDibPicture(dib, dibOptions, kMaxPictureSide, picture);
    });
}
