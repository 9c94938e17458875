#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/DibFile.h"
#include "tiles/TileMap.h"

// The command line of kelvane-convert.

enum class FileType { None, Kl, Dib, Rom, Bin, Asm, C, Png };

struct Request
{
    std::string input;
    std::string output;  // CHARS with --map
    FileType from = FileType::None;
    FileType to = FileType::None;
    std::uint32_t start = 0;
    bool startGiven = false;
    int count = 256;
    bool countGiven = false;
    DibImportOptions dib;           // for the DIB import
    DibImportOptions png;           // for PNG pictures without a palette
    bool dibOptionGiven = false;
    std::optional<std::string> map;  // --map MAP
    FileType mapType = FileType::None;
    TileMapOptions mapOptions;
    bool mapOptionGiven = false;
    std::optional<std::string> name;
    std::optional<std::string> preview;
    bool help = false;
    bool version = false;
};

// Reads argv into the request. Returns what is wrong with the command line
// (an unknown option, a value out of its range, files missing), "" when
// nothing is.
std::string ParseArguments(int argc, const char* const* argv, Request& r);

// Every output file of the run, standard output ("-") left out.
std::vector<std::string> OutputPaths(const Request& r);

// The extensions and the names of the types, for messages.
const char* TypeExtensions(FileType type);

extern const char* const kUsage;
extern const char* const kHelp;
