#pragma once

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

// Files are built byte by byte with PutU16, PutU32 and the other helpers of
// tiles/ByteOrder.h.
#include "tiles/ByteOrder.h"

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
// The names of the files and folders in a folder.
std::set<std::string> FileNames(const std::string& folder);

// A 128 x 128 8-bit DIB in a grey palette (entry p is p, p, p), its pixels
// every index in turn, with an info header of `headerBytes` bytes.
Bytes GreyDib(std::uint32_t headerBytes);

// An anonymous read/write stream holding the given bytes, positioned at 0.
FILE* StreamWith(const Bytes& bytes);
// Everything a stream holds, read from its start; the position is kept.
Bytes StreamBytes(FILE* stream);
