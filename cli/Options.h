#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/DibFile.h"
#include "formats/FileTypes.h"
#include "tiles/TileMap.h"

// The command line of kelvane-convert.

// A picture of --map or --set and the map it becomes.
struct MapPicture
{
    std::string picture;
    std::string map;
    FileType from = FileType::None;
    FileType mapType = FileType::None;
};

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
    bool setOptionGiven = false;  // --seed, --max-chars, --report, --world, --bgmap
    std::optional<std::string> name;
    std::optional<std::string> preview;
    bool set = false;                  // --set CHARS: output is CHARS
    std::vector<MapPicture> pictures;  // --map's one picture, --set's
    std::optional<std::string> seed;   // --seed FILE
    FileType seedType = FileType::None;
    std::optional<std::uint32_t> maxChars;
    bool report = false;
    std::optional<std::string> world;  // --world FILE
    FileType worldType = FileType::None;
    std::uint32_t bgmap = 0;
    bool draw = false;                 // --draw MAP CHARS PICTURE: input MAP
    std::string drawChars;
    FileType drawCharsType = FileType::Bin;  // kl, or console-format chars
    std::uint32_t cellsWide = kSegmentCells;
    bool cellsWideGiven = false;
    std::optional<std::string> deps;   // --deps FILE
    bool help = false;
    bool version = false;
};

// Reads argv into the request. Returns what is wrong with the command line
// (an unknown option, a value out of its range, files missing), "" when
// nothing is.
std::string ParseArguments(int argc, const char* const* argv, Request& r);

// Every file a run writes ("-" left out), and every file it reads.
std::vector<std::string> OutputPaths(const Request& r);
std::vector<std::string> InputPaths(const Request& r);

extern const char* const kUsage;
extern const char* const kHelp;
