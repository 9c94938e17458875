#include "support/TestFiles.h"

#include "formats/SysMemStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

// The suites' names are UTF-8; std::string paths would be taken in the
// local code page on Windows.
std::filesystem::path Utf8Path(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string Utf8Name(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

TempDir::TempDir()
{
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const auto path = base / ("kelvane-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path, ec))
            m_path = Utf8Name(path);
    }
    if (m_path.empty())
        ADD_FAILURE() << "cannot create a temporary folder";
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give back write permission that a test may have taken away, so that
    // everything below can be removed.
    for (auto it = std::filesystem::recursive_directory_iterator(Utf8Path(m_path), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(Utf8Path(m_path), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Utf8Path(m_path), ec);
}

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(Utf8Path(path), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

std::set<std::string> FileNames(const std::string& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Utf8Path(folder), ec))
        names.insert(Utf8Name(e.path().filename()));
    return names;
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(Utf8Path(path), ec);
}

FILE* StreamWith(const Bytes& bytes)
{
    FILE* f = OpenScratchFile();
    if (!f) {
        ADD_FAILURE() << "no temporary stream";
        return nullptr;
    }
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

Bytes StreamBytes(FILE* stream)
{
    std::fflush(stream);
    const long pos = std::ftell(stream);
    std::rewind(stream);
    Bytes out;
    int c;
    while ((c = std::fgetc(stream)) != EOF)
        out.push_back(std::uint8_t(c));
    std::clearerr(stream);
    std::fseek(stream, pos, SEEK_SET);
    return out;
}

// A 128 x 128 picture in a grey palette (entry p is p, p, p), its pixels
// every index in turn, with an info header of `headerBytes` bytes.
Bytes GreyDib(std::uint32_t headerBytes)
{
    Bytes b = {'B', 'M'};
    PutU32(b, 0), PutU32(b, 0), PutU32(b, 14 + headerBytes + 1024);
    PutU32(b, headerBytes), PutU32(b, 128), PutU32(b, 128), PutU16(b, 1), PutU16(b, 8);
    b.resize(14 + headerBytes, 0);
    for (int p = 0; p < 256; ++p)
        b.insert(b.end(), {std::uint8_t(p), std::uint8_t(p), std::uint8_t(p), 0});
    for (int i = 0; i < 128 * 128; ++i)
        b.push_back(std::uint8_t(i * 5));
    return b;
}
